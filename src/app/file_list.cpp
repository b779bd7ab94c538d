#include "app/file_list.h"

#include "app/paths.h"

namespace vintrel {

std::string RowText(const std::string& fileName, const std::string& kind,
                    const std::string& version, const std::string& status) {
    return fileName + '\n' + kind + '\n' + version + '\n' + status;
}

std::vector<std::string> SplitRowText(const std::string& rowText) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    do {
        const std::size_t end = rowText.find('\n', start);
        if (end == std::string::npos) {
            cells.push_back(rowText.substr(start));
            break;
        }
        cells.push_back(rowText.substr(start, end - start));
        start = end + 1;
    } while (start < rowText.size());
    return cells;
}

std::string ProfileEntry(const std::string& fullPath, const std::string& kind,
                         const std::string& version) {
    return fullPath + '|' + kind + '|' + version;
}

std::array<std::string, 3> SplitProfileEntry(const std::string& line) {
    std::array<std::string, 3> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t bar = line.find('|', start);
        fields[i] = line.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return fields;
}

std::string EntryPath(const std::string& entry) {
    return entry.substr(0, entry.find('|'));
}

void ClearFileRows(AppState& state, ListSink* list) {
    state.profileList.clear();
    if (list) list->ClearListRows();
}

void AddFileRow(AppState& state, ListSink* list, const std::string& fullPath,
                const std::string& kind, const std::string& version, const std::string& status) {
    if (list) {
        const int row = list->AddListRow(RowText(FileNamePart(fullPath), kind, version, status));
        list->SetListCellColour(row, kStatusColumn,
                                status == kStatusOkay ? kOkayColour : kMissingColour);
    }
    state.profileList.push_back(ProfileEntry(fullPath, kind, version));
}

} // namespace vintrel
