#pragma once

#include <CLI/CLI.hpp>
#include <string>

// How the programs' --help reads: CLI11's own parts in their words ("usage",
// "Values", "Commands"), each text wrapped within 80 columns.
class HelpFormat : public CLI::Formatter {
  public:
    // A command's help leaves out the options of `programGroup`, which the
    // program's help lists ("": none left out).
    explicit HelpFormat(std::string programGroup);

    // One blank line between the parts (CLI11 2.1 puts two between groups).
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override;
    std::string make_usage(const CLI::App* app, std::string name) const override;
    // "" for a value of the group "", which is not listed.
    std::string make_option_usage(const CLI::Option* option) const override;
    std::string make_option_opts(const CLI::Option* option) const override;
    std::string make_option_desc(const CLI::Option* option) const override;
    std::string make_subcommand(const CLI::App* command) const override;
    std::string make_footer(const CLI::App* app) const override;

  private:
    static constexpr size_t kLineWidth = 80;
    static constexpr size_t kColumn = 28;

    // `text` with each line broken at blanks to fit `width`.
    static std::string Wrapped(const std::string& text, size_t width);

    std::string m_programGroup;
};
