#include "unattended/command_line.h"

#include "app/paths.h"

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

// A kept version's time: "YYYYMMDD-HHMMSS".
bool IsStamp(const std::string& text) {
    return text.size() == 15 && MatchesDigits(text, 0, "00000000-000000");
}

// /restore FILE [/from STAMP] [/to FOLDER] [FOLDER], the switches after FILE in any order.
CommandLine ParseRestore(const std::vector<std::string>& arguments) {
    CommandLine line;
    if (arguments.size() < 2 || BeginsAsSwitch(arguments[1]) || arguments[1].empty()) {
        return Invalid(arguments.size() < 2 ? arguments[0] : arguments[1]);
    }
    line.mode = CommandLine::Mode::Restore;
    line.restoreFile = arguments[1];
    bool folderGiven = false;
    for (std::size_t at = 2; at < arguments.size(); ++at) {
        const std::string name = SwitchName(arguments[at]);
        const bool last = at + 1 >= arguments.size();
        if (name == "from" && line.restoreStamp.empty()) {
            if (last || !IsStamp(arguments[at + 1])) return Invalid(last ? arguments[at] : arguments[at + 1]);
            line.restoreStamp = arguments[++at];
        } else if (name == "to" && line.restoreTo.empty()) {
            if (last || BeginsAsSwitch(arguments[at + 1]) || arguments[at + 1].empty()) {
                return Invalid(last ? arguments[at] : arguments[at + 1]);
            }
            line.restoreTo = arguments[++at];
        } else if (!BeginsAsSwitch(arguments[at]) && !arguments[at].empty() && !folderGiven) {
            line.folder = arguments[at];
            folderGiven = true;
        } else {
            return Invalid(arguments[at]);
        }
    }
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
    if (SwitchName(arguments[0]) == "restore") return ParseRestore(arguments);
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
