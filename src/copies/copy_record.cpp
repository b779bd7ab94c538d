#include "copies/copy_record.h"

#include "app/paths.h"
#include "profile/profile_format.h"

#include <string_view>

namespace vintrel {

namespace {

// The names of a relative path as its separators part it, empty ones too.
std::vector<std::string> SplitNames(const std::string& relative) {
    std::vector<std::string> names;
    for (std::size_t at = 0;;) {
        const std::size_t end = relative.find_first_of("\\/", at);
        names.push_back(relative.substr(at, end - at)); // the last runs to the end
        if (end == std::string::npos) return names;
        at = end + 1;
    }
}

} // namespace

std::optional<std::string> PathBelow(const std::string& relative) {
    if (relative.empty() || IsPathSeparator(relative[0]) ||
        relative.find_first_of(":*?\t") != std::string::npos) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (const std::string& name : SplitNames(relative)) {
        if (name == "..") {
            if (names.empty()) return std::nullopt;
            names.pop_back();
        } else if (name != "." && !name.empty()) {
            if (name.back() == '.' || name.back() == ' ') return std::nullopt;
            names.push_back(name);
        }
    }
    if (names.empty() || IsPathSeparator(relative.back())) return std::nullopt;
    std::string plain;
    for (const std::string& name : names)
        plain += (plain.empty() ? "" : "\\") + name;
    return plain;
}

bool HasFacts(const CopyState& state, std::uint64_t size, std::uint64_t lastWriteTime,
              std::uint64_t timeStep) {
    const std::uint64_t apart = TimesApart(state.lastWriteTime, lastWriteTime);
    // FAT keeps local times, which Windows shows through the daylight-saving offset of the
    // day it is asked: from one clock change to the next, every time there reads an hour
    // apart. (exFAT keeps the offset with each time.)
    constexpr std::uint64_t kFatStep = 20000000, kHour = 36000000000;
    const std::uint64_t shifted = TimesApart(apart, kHour);
    return state.size == size &&
           (apart <= timeStep || (timeStep >= kFatStep && shifted <= timeStep));
}

bool MayBeTheCopy(const RecordedCopy& line, std::uint64_t size, std::uint64_t lastWriteTime,
                  std::uint64_t timeStep) {
    if (!line.state && !line.next) return true;
    return (line.state && HasFacts(*line.state, size, lastWriteTime, timeStep)) ||
           (line.next && HasFacts(*line.next, size, lastWriteTime, timeStep));
}

void SettleOnFile(RecordedCopy& line, const std::optional<std::uint64_t>& size,
                  std::uint64_t lastWriteTime, std::uint64_t timeStep) {
    if (!size || !line.next) return;
    if (line.state && HasFacts(*line.state, *size, lastWriteTime, timeStep)) return;
    if (HasFacts(*line.next, *size, lastWriteTime, timeStep))
        line.state = CopyState{line.next->size, line.next->lastWriteTime, std::nullopt};
}

bool HasNameWindowsTrims(const std::string& relative) {
    for (const std::string& name : SplitNames(relative)) {
        if (name != "." && name != ".." && !name.empty() &&
            (name.back() == '.' || name.back() == ' ')) {
            return true;
        }
    }
    return false;
}

namespace {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (std::size_t tab; (tab = line.find('\t', at)) != std::string::npos; at = tab + 1)
        fields.push_back(line.substr(at, tab - at));
    fields.push_back(line.substr(at));
    return fields;
}

std::optional<std::uint64_t> Number(const std::string& text) {
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (value > (~0ULL - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// A checksum is written as 16 lower-case hex digits.
constexpr std::string_view kHexDigits = "0123456789abcdef";

std::string HexText(std::uint64_t value) {
    std::string text;
    for (int shift = 60; shift >= 0; shift -= 4)
        text += kHexDigits[(value >> shift) & 0xF];
    return text;
}

std::optional<std::uint64_t> Hex(const std::string& text) {
    if (text.size() != 16) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        const std::size_t digit = kHexDigits.find(c);
        if (digit == std::string_view::npos) return std::nullopt;
        value = value << 4 | digit;
    }
    return value;
}

} // namespace

std::vector<RecordedCopy> ReadCopyRecord(const std::string& bytes) {
    std::vector<RecordedCopy> copies;
    ProfileLineReader lines(bytes);
    while (!lines.AtEnd()) {
        const std::vector<std::string> fields = Fields(lines.NextLine());
        std::optional<std::string> path = PathBelow(fields[0]);
        if (!path) continue;
        RecordedCopy copy{std::move(*path), std::nullopt, std::nullopt};
        if (fields.size() != 1) {
            if (fields.size() != 4 && fields.size() != 6) continue;
            const std::optional<std::uint64_t> size = Number(fields[1]), time = Number(fields[2]);
            const std::optional<std::uint64_t> sum = Hex(fields[3]);
            const bool none = fields[1] == "-" && fields[2] == "-" && fields[3] == "-";
            if (none && fields.size() != 6) continue; // a line names a copy or one being made
            if (!none && (!size || !time || (!sum && fields[3] != "-"))) continue;
            if (!none) copy.state = CopyState{*size, *time, sum};
            if (fields.size() == 6) {
                const std::optional<std::uint64_t> nextSize = Number(fields[4]);
                const std::optional<std::uint64_t> nextTime = Number(fields[5]);
                if (!nextSize || !nextTime) continue;
                copy.next = CopyState{*nextSize, *nextTime, std::nullopt};
            }
        }
        copies.push_back(std::move(copy));
    }
    return copies;
}

std::string CopyRecordText(const std::vector<RecordedCopy>& copies) {
    std::string text;
    const auto field = [&text](const std::string& value) {
        text += '\t';
        text += value;
    };
    for (const RecordedCopy& copy : copies) {
        text += copy.path;
        if (copy.state) {
            field(std::to_string(copy.state->size));
            field(std::to_string(copy.state->lastWriteTime));
            field(copy.state->checksum ? HexText(*copy.state->checksum) : "-");
        } else if (copy.next) {
            text += "\t-\t-\t-";
        }
        if (copy.next) {
            field(std::to_string(copy.next->size));
            field(std::to_string(copy.next->lastWriteTime));
        }
        text += "\r\n";
    }
    return text;
}

} // namespace vintrel
