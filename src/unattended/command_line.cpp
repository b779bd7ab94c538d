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
    bool folderGiven = false;
    bool keepGiven = false;
    bool waitGiven = false;
    for (++at; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (SwitchName(argument) == "all" && !line.all) {
            line.all = true;
            continue;
        }
        const std::string name = SwitchName(argument);
        if ((name == "keep" && !keepGiven) || (name == "wait" && !waitGiven)) {
            // A whole number in decimal digits alone: 0 to 99 versions, 0 to 1440 minutes.
            const std::string& count = at + 1 < arguments.size() ? arguments[at + 1] : argument;
            const int most = name == "keep" ? 99 : 1440;
            if (at + 1 >= arguments.size() || count.empty() || count.size() > 4 ||
                count.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(count) > most) {
                return Invalid(count);
            }
            (name == "keep" ? line.keep : line.wait) = std::stoi(count);
            (name == "keep" ? keepGiven : waitGiven) = true;
            ++at;
            continue;
        }
        if (BeginsAsSwitch(argument) || argument.empty() || folderGiven) return Invalid(argument);
        // The command line turns a backslash before the closing quote ("C:\Tools\") into a
        // quote of the name: no Windows path ends in one.
        line.folder = argument.back() == '"' ? argument.substr(0, argument.size() - 1) : argument;
        folderGiven = true;
    }
    return line;
}

} // namespace vintrel
