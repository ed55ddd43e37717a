#include "ParaHelpFormat.h"

#include <sstream>
#include <utility>
#include <vector>

ParaHelpFormat::ParaHelpFormat(std::string usageTail, std::string unlistedGroup)
    : m_usageTail(std::move(usageTail)), m_unlistedGroup(std::move(unlistedGroup)) {
    column_width(28);
}

std::string ParaHelpFormat::make_help(const CLI::App* app, std::string name,
                                      CLI::AppFormatMode) const {
    std::string help = Wrapped(app->get_description()) + make_usage(app, name);
    std::vector<const CLI::Option*> values =
        app->get_options([](const CLI::Option* option) { return option->get_positional(); });
    if (!values.empty()) {
        help += "\nValues:\n";
        for (const CLI::Option* value : values) help += make_option(value, true);
    }
    for (const std::string& group : app->get_groups()) {
        std::vector<const CLI::Option*> options =
            app->get_options([&group](const CLI::Option* option) {
                return option->nonpositional() && option->get_group() == group;
            });
        if (group == m_unlistedGroup || options.empty()) continue;
        help += "\n" + group + ":\n";
        for (const CLI::Option* option : options) help += make_option(option, false);
    }
    if (!app->get_footer().empty()) help += "\n" + Wrapped(app->get_footer());
    return help;
}

std::string ParaHelpFormat::Wrapped(const std::string& text) {
    std::string wrapped;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        // A long line breaks at its last blank within the width, and again.
        for (size_t blank; line.size() > kLineWidth &&
                           (blank = line.rfind(' ', kLineWidth)) != std::string::npos;) {
            wrapped += line.substr(0, blank) + "\n";
            line.erase(0, blank + 1);
        }
        wrapped += line + "\n";
    }
    return wrapped;
}

std::string ParaHelpFormat::make_usage(const CLI::App* app, std::string name) const {
    std::string usage = "usage: " + name;
    if (!app->get_options([](const CLI::Option* o) { return o->nonpositional(); }).empty()) {
        usage += " [OPTIONS]";
    }
    for (const CLI::Option* value :
         app->get_options([](const CLI::Option* o) { return o->get_positional(); })) {
        usage += " " + make_option_usage(value);
    }
    return usage + m_usageTail + "\n";
}

std::string ParaHelpFormat::make_option_usage(const CLI::Option* option) const {
    std::string usage = option->get_name(true, false);
    if (option->get_expected_max() >= CLI::detail::expected_max_vector_size) usage += "...";
    return option->get_required() ? usage : "[" + usage + "]";
}

std::string ParaHelpFormat::make_option(const CLI::Option* option, bool isPositional) const {
    std::string name = make_option_usage(option);
    if (!isPositional) {
        name = option->get_name(false, true);
        if (option->get_type_size() != 0 && !option->get_type_name().empty()) {
            name += " " + option->get_type_name();
        }
    }
    return Row(name, option->get_description());
}

std::string ParaHelpFormat::Row(const std::string& name, const std::string& description) const {
    const size_t indent = get_column_width();
    std::vector<std::string> lines;
    std::istringstream words(description);
    for (std::string word; words >> word;) {
        if (lines.empty() || indent + lines.back().size() + 1 + word.size() > kLineWidth) {
            lines.push_back(word);
        } else {
            lines.back() += " " + word;
        }
    }
    std::string head = "  " + name;
    if (lines.empty()) return head + "\n";
    std::string row;
    // A name too wide for its column puts the description below it.
    if (head.size() + 1 > indent) {
        row = head + "\n";
        head.clear();
    }
    for (const std::string& line : lines) {
        row += head + std::string(indent - head.size(), ' ') + line + "\n";
        head.clear();
    }
    return row;
}
