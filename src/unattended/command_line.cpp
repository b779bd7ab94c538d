#include "unattended/command_line.h"

namespace vintrel {

namespace {

bool BeginsAsSwitch(const std::string& argument) {
    return !argument.empty() && (argument[0] == '/' || argument[0] == '-');
}

// The switch's name in lower case ("backup"), or empty when the argument is no switch.
std::string SwitchName(const std::string& argument) {
    if (argument.size() < 2 || !BeginsAsSwitch(argument)) return "";
    std::string name = argument.substr(1);
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

CommandLine Invalid(const std::string& argument) {
    CommandLine line;
    line.mode = CommandLine::Mode::Invalid;
    line.problem = argument;
    return line;
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    // A file dropped on the program, or "Open with", opens the window as if nothing was given.
    if (arguments.empty() || !BeginsAsSwitch(arguments[0])) return line;
    if (arguments.size() == 1 && SwitchName(arguments[0]) == "?") {
        line.mode = CommandLine::Mode::Usage;
        return line;
    }
    std::size_t at = 0;
    if (SwitchName(arguments[at]) == "search") {
        line.search = true;
        ++at;
    }
    if (at >= arguments.size()) return Invalid(arguments.back()); // /search alone
    if (SwitchName(arguments[at]) != "backup") return Invalid(arguments[at]);
    line.mode = CommandLine::Mode::Backup;
    if (++at < arguments.size()) {
        if (!SwitchName(arguments[at]).empty() || arguments[at].empty()) {
            return Invalid(arguments[at]);
        }
        line.folder = arguments[at++];
    }
    if (at < arguments.size()) return Invalid(arguments[at]);
    return line;
}

} // namespace vintrel
