#include "unattended/command_line.h"

#include <set>

#include "app/paths.h"
#include "backup/versions.h"

namespace vintrel {

namespace {

bool BeginsAsSwitch(const std::string& argument) {
    return !argument.empty() && (argument[0] == '/' || argument[0] == '-');
}

// The switch's name in lower case ("backup"), or empty when the argument is no switch.
std::string SwitchName(const std::string& argument) {
    if (argument.size() < 2 || !BeginsAsSwitch(argument)) return "";
    std::string name = argument.substr(1);
    for (char& c : name)
        c = FoldCase(c);
    return name;
}

CommandLine Invalid(const std::string& argument) {
    CommandLine line;
    line.mode = CommandLine::Mode::Invalid;
    line.problem = argument;
    return line;
}

// A folder as given: the command line turns a backslash before the closing quote
// ("C:\Tools\") into a quote of the name, and no Windows path ends in one.
std::string FolderArgument(const std::string& argument) {
    return !argument.empty() && argument.back() == '"' ? argument.substr(0, argument.size() - 1)
                                                       : argument;
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
            if (last || !IsVersionStamp(arguments[at + 1]))
                return Invalid(last ? arguments[at] : arguments[at + 1]);
            line.restoreStamp = arguments[++at];
        } else if (name == "force" && !line.force) {
            line.force = true;
        } else if (name == "to" && line.restoreTo.empty()) {
            if (last || BeginsAsSwitch(arguments[at + 1]) || arguments[at + 1].empty()) {
                return Invalid(last ? arguments[at] : arguments[at + 1]);
            }
            line.restoreTo = FolderArgument(arguments[++at]);
        } else if (!BeginsAsSwitch(arguments[at]) && !arguments[at].empty() && !folderGiven) {
            line.folder = FolderArgument(arguments[at]);
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
    if (SwitchName(arguments[0]) == "check") {
        if (arguments.size() > 2 ||
            (arguments.size() == 2 && (BeginsAsSwitch(arguments[1]) || arguments[1].empty()))) {
            return Invalid(arguments.back());
        }
        line.mode = CommandLine::Mode::Check;
        if (arguments.size() == 2) line.folder = FolderArgument(arguments[1]);
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
    std::set<std::string> given; // the switches with a number met so far
    // The first argument at fault is named; the rest are still read for the folder, so that
    // the log of a line not understood goes beside the profile it names.
    CommandLine fault;
    const auto faulty = [&](const std::string& argument, const std::string& range = "") {
        if (fault.mode == CommandLine::Mode::Invalid) return;
        fault = Invalid(argument);
        fault.problemRange = range;
    };
    for (++at; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (SwitchName(argument) == "all" && !line.all) {
            line.all = true;
            continue;
        }
        if (SwitchName(argument) == "verify" && !line.verify) {
            line.verify = true;
            continue;
        }
        const std::string name = SwitchName(argument);
        if (name == "keep" || name == "wait") {
            if (!given.insert(name).second)
                faulty(argument); // its number is still read, as no folder
            // A whole number in decimal digits alone: 0 to 99 versions, 0 to 1440 minutes.
            // Whatever stands in its place is its wrong number, unless it is a switch ("-1" is
            // one: either way it is the argument at fault).
            if (at + 1 >= arguments.size() || BeginsAsSwitch(arguments[at + 1])) {
                faulty(at + 1 >= arguments.size() ? argument : arguments[at + 1]);
                continue;
            }
            const std::string& count = arguments[++at];
            const int most = name == "keep" ? 99 : 1440;
            if (count.empty() || count.find_first_not_of("0123456789") != std::string::npos) {
                faulty(count);
                continue;
            }
            if (count.size() > 4 || std::stoi(count) > most) {
                faulty(count, "/" + name + " (0 to " + std::to_string(most) + ")");
            } else {
                (name == "keep" ? line.keep : line.wait) = std::stoi(count);
            }
            continue;
        }
        if (BeginsAsSwitch(argument) || argument.empty() || folderGiven) {
            faulty(argument);
            continue;
        }
        line.folder = FolderArgument(argument);
        folderGiven = true;
    }
    if (fault.mode == CommandLine::Mode::Invalid) {
        fault.folder = line.folder;
        return fault;
    }
    return line;
}

} // namespace vintrel
