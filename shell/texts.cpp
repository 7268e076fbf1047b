// The shell's texts (Windows-1251 bytes, each with its reading beside it),
// the status-number formatting and the one conversion to UTF-16.
#include "shell/texts.h"

StatusText levelText = {"\xD3\xF0\xEE\xE2\xE5\xED\xFC:    "}; // "Уровень:" and 4 blanks
StatusText boxesText = {"\xDF\xF9\xE8\xEA\xEE\xE2:     "};    // "Ящиков:" and 5 blanks
StatusText stepsText = {"\xD8\xE0\xE3\xEE\xE2:         "};    // "Шагов:" and 9 blanks

// "Win32 Bexaran на Ассемблере (50 уровней) v1.30"
const char windowTitleText[] = "Win32 Bexaran \xED\xE0 \xC0\xF1\xF1\xE5\xEC\xE1\xEB\xE5\xF0\xE5"
                               " (50 \xF3\xF0\xEE\xE2\xED\xE5\xE9) v1.30";
const char congratulationText[] = "\xCF\xEE\xE7\xE4\xF0\xE0\xE2\xEB\xFF\xFE!"; // "Поздравляю!"
const char errorLoadingPngText[] = "Error Loading PNG";
const char screenTooSmallText[] = "Require at least 800x600 screen resolution";
const char screenTooSmallCaption[] = "Can't continue!";
// "Не удалось создать главное окно игры."
const char cannotStartText[] = "\xCD\xE5 \xF3\xE4\xE0\xEB\xEE\xF1\xFC \xF1\xEE\xE7\xE4\xE0\xF2\xFC"
                               " \xE3\xEB\xE0\xE2\xED\xEE\xE5 \xEE\xEA\xED\xEE \xE8\xE3\xF0\xFB.";
const char errorCaption[] = "\xCE\xF8\xE8\xE1\xEA\xE0";                         // "Ошибка"
const char loadCaption[] = "\xC7\xE0\xE3\xF0\xF3\xE7\xEA\xE0 \xE8\xE3\xF0\xFB"; // "Загрузка игры"
const char saveCaption[] =
    "\xD1\xEE\xF5\xF0\xE0\xED\xE5\xED\xE8\xE5 \xE8\xE3\xF0\xFB"; // "Сохранение игры"
// "Не удалось сохранить игру. Прежний файл не изменён."
const char saveFailedText[] =
    "\xCD\xE5 \xF3\xE4\xE0\xEB\xEE\xF1\xFC \xF1\xEE\xF5\xF0\xE0\xED\xE8\xF2\xFC"
    " \xE8\xE3\xF0\xF3. \xCF\xF0\xE5\xE6\xED\xE8\xE9 \xF4\xE0\xE9\xEB"
    " \xED\xE5 \xE8\xE7\xEC\xE5\xED\xB8\xED.";
// "Не удалось сохранить игру."
const char saveFailedNoEarlierFileText[] =
    "\xCD\xE5 \xF3\xE4\xE0\xEB\xEE\xF1\xFC \xF1\xEE\xF5\xF0\xE0\xED\xE8\xF2\xFC"
    " \xE8\xE3\xF0\xF3.";

const char* loadRefusedText(SavedGameCheck check) {
    switch (check) {
    case SavedGameValid:
        return "";
    case SavedGameUnreadable: // "Не удалось открыть или прочитать файл."
        return "\xCD\xE5 \xF3\xE4\xE0\xEB\xEE\xF1\xFC \xEE\xF2\xEA\xF0\xFB\xF2\xFC \xE8\xEB\xE8"
               " \xEF\xF0\xEE\xF7\xE8\xF2\xE0\xF2\xFC \xF4\xE0\xE9\xEB.";
    case SavedGameWrongSize: // "Файл не является сохранённой игрой: его длина не 336 байт."
        return "\xD4\xE0\xE9\xEB \xED\xE5 \xFF\xE2\xEB\xFF\xE5\xF2\xF1\xFF"
               " \xF1\xEE\xF5\xF0\xE0\xED\xB8\xED\xED\xEE\xE9 \xE8\xE3\xF0\xEE\xE9:"
               " \xE5\xE3\xEE \xE4\xEB\xE8\xED\xE0 \xED\xE5 336 \xE1\xE0\xE9\xF2.";
    case SavedGameBadLevel: // "Файл повреждён: неверный номер уровня."
        return "\xD4\xE0\xE9\xEB \xEF\xEE\xE2\xF0\xE5\xE6\xE4\xB8\xED:"
               " \xED\xE5\xE2\xE5\xF0\xED\xFB\xE9 \xED\xEE\xEC\xE5\xF0 \xF3\xF0\xEE\xE2\xED\xFF.";
    case SavedGameBadKeeperCell: // "Файл повреждён: неверная клетка кладовщика."
        return "\xD4\xE0\xE9\xEB \xEF\xEE\xE2\xF0\xE5\xE6\xE4\xB8\xED:"
               " \xED\xE5\xE2\xE5\xF0\xED\xE0\xFF \xEA\xEB\xE5\xF2\xEA\xE0"
               " \xEA\xEB\xE0\xE4\xEE\xE2\xF9\xE8\xEA\xE0.";
    case SavedGameOpenBorder: // "Файл повреждён: поле не окружено стеной."
        return "\xD4\xE0\xE9\xEB \xEF\xEE\xE2\xF0\xE5\xE6\xE4\xB8\xED:"
               " \xEF\xEE\xEB\xE5 \xED\xE5 \xEE\xEA\xF0\xF3\xE6\xE5\xED\xEE "
               "\xF1\xF2\xE5\xED\xEE\xE9.";
    case SavedGameKeeperBlocked: // "Файл повреждён: кладовщик стоит не на полу."
        return "\xD4\xE0\xE9\xEB \xEF\xEE\xE2\xF0\xE5\xE6\xE4\xB8\xED:"
               " \xEA\xEB\xE0\xE4\xEE\xE2\xF9\xE8\xEA \xF1\xF2\xEE\xE8\xF2 \xED\xE5 \xED\xE0"
               " \xEF\xEE\xEB\xF3.";
    case SavedGameBoxCountWrong: // "Файл повреждён: число ящиков не сходится."
        return "\xD4\xE0\xE9\xEB \xEF\xEE\xE2\xF0\xE5\xE6\xE4\xB8\xED:"
               " \xF7\xE8\xF1\xEB\xEE \xFF\xF9\xE8\xEA\xEE\xE2 \xED\xE5 "
               "\xF1\xF5\xEE\xE4\xE8\xF2\xF1\xFF.";
    }
    return loadRefusedText(SavedGameUnreadable);
}

void writeStatusNumber(StatusText* text, int32_t value) {
    // Digits are produced backwards from the magnitude, taken as unsigned so
    // that the most negative value has one too.
    char digits[11];
    int count = 0;
    uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    char* at = text->bytes + StatusNumberColumn; // room for 11 characters and the terminator
    if (value < 0) *at++ = '-';
    while (count > 0)
        *at++ = digits[--count];
    *at = '\0';
}

namespace {

// Windows-1251 bytes 0x80 to 0xBF; 0x98 is unassigned and kept as U+0098,
// as Windows does. Bytes 0xC0 to 0xFF are А..я, U+0410 to U+044F.
const uint16_t upperHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

} // namespace

size_t widenWindows1251(const char* text, uint16_t* wide, size_t capacity) {
    size_t count = 0;
    for (; text[count] != '\0' && count + 1 < capacity; ++count) {
        unsigned char byte = static_cast<unsigned char>(text[count]);
        if (byte < 0x80)
            wide[count] = byte;
        else if (byte < 0xC0)
            wide[count] = upperHalf[byte - 0x80];
        else
            wide[count] = static_cast<uint16_t>(0x0410 + (byte - 0xC0));
    }
    wide[count] = 0;
    return count;
}
