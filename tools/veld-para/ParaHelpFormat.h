#pragma once

#include <CLI/CLI.hpp>
#include <string>

// How veld-para's --help reads: the description, the usage line, the values,
// each group of options, then the footer; descriptions wrapped within 80
// columns beside their names.
class ParaHelpFormat : public CLI::Formatter {
  public:
    // `usageTail` follows the options in the usage line (" COMMAND [ARGS]");
    // the options of `unlistedGroup` are not listed.
    ParaHelpFormat(std::string usageTail, std::string unlistedGroup);

    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override;
    std::string make_usage(const CLI::App* app, std::string name) const override;
    std::string make_option_usage(const CLI::Option* option) const override;
    std::string make_option(const CLI::Option* option, bool isPositional) const override;

    // A row of a list: the name, then the description wrapped beside it.
    std::string Row(const std::string& name, const std::string& description) const;

  private:
    static constexpr size_t kLineWidth = 80;

    // Each line of `text` that is wider than a line broken at blanks.
    static std::string Wrapped(const std::string& text);

    std::string m_usageTail;
    std::string m_unlistedGroup;
};
