#include "shell/command_dialogs.h"

namespace lorvane {

TheaterMapTexts TheaterMapDialogTexts(const TheaterMapHeader& header) {
    TheaterMapTexts texts;
    for (const TheaterMapField& field : TheaterMapFields)
        texts[field.controlId] = FieldText(header, field);
    return texts;
}

void ApplyTheaterMapDialogTexts(TheaterMapHeader& header, const TheaterMapTexts& texts) {
    for (const TheaterMapField& field : TheaterMapFields) {
        const auto text = texts.find(field.controlId);
        if (text == texts.end()) continue;
        const std::string_view value(text->second);
        ScanFieldText(header, field, value.substr(0, std::min(value.size(), kDialogTextLength)));
    }
}

}  // namespace lorvane
