#include "common/HelpFormat.h"

#include <sstream>
#include <utility>
#include <vector>

HelpFormat::HelpFormat(std::string programGroup) : m_programGroup(std::move(programGroup)) {
    column_width(kColumn);
    label("Usage", "usage");
    label("Positionals", "Values");
    label("SUBCOMMAND", "COMMAND [ARGS]");
}

std::string HelpFormat::make_help(const CLI::App* app, std::string name,
                                  CLI::AppFormatMode mode) const {
    std::string help = Wrapped(make_description(app), kLineWidth) + "\n" + make_usage(app, name) +
                       make_positionals(app);
    for (const std::string& group : app->get_groups()) {
        std::vector<const CLI::Option*> options =
            app->get_options([&group](const CLI::Option* option) {
                return option->nonpositional() && option->get_group() == group;
            });
        bool listed = !group.empty() && (app->get_parent() == nullptr || group != m_programGroup);
        if (listed && !options.empty()) help += make_group(group, false, options);
    }
    return help + make_subcommands(app, mode) + "\n" + make_footer(app);
}

std::string HelpFormat::make_usage(const CLI::App* app, std::string name) const {
    std::string usage = CLI::Formatter::make_usage(app, name);
    // An unlisted value leaves its blank before the line's end.
    if (usage.ends_with(" \n")) usage.erase(usage.size() - 2, 1);
    return usage;
}

std::string HelpFormat::make_option_usage(const CLI::Option* option) const {
    if (option->get_group().empty()) return "";
    std::string usage = option->get_name(true, false);
    if (option->get_expected_max() >= CLI::detail::expected_max_vector_size) usage += "...";
    return option->get_required() ? usage : "[" + usage + "]";
}

std::string HelpFormat::make_option_opts(const CLI::Option* option) const {
    // A value's name says all; an option names the word it takes.
    if (option->get_positional() || option->get_type_size() == 0) return "";
    return " " + option->get_type_name();
}

std::string HelpFormat::make_option_desc(const CLI::Option* option) const {
    return Wrapped(option->get_description(), kLineWidth - kColumn);
}

std::string HelpFormat::make_subcommand(const CLI::App* command) const {
    std::ostringstream row;
    CLI::detail::format_help(row, command->get_name(),
                             Wrapped(command->get_description(), kLineWidth - kColumn), kColumn);
    return row.str();
}

std::string HelpFormat::make_footer(const CLI::App* app) const {
    return app->get_footer().empty() ? "" : Wrapped(app->get_footer(), kLineWidth) + "\n";
}

std::string HelpFormat::Wrapped(const std::string& text, size_t width) {
    std::string wrapped;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        // A long line breaks at its last blank within the width, and again.
        for (size_t blank;
             line.size() > width && (blank = line.rfind(' ', width)) != std::string::npos;) {
            wrapped += line.substr(0, blank) + "\n";
            line.erase(0, blank + 1);
        }
        wrapped += line + "\n";
    }
    // format_help indents after each line break, so the last one goes.
    if (!wrapped.empty()) wrapped.pop_back();
    return wrapped;
}
