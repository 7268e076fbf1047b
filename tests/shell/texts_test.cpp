// The status texts and the conversion that puts every Windows-1251 text on
// the screen.
#include <gtest/gtest.h>
#include <iconv.h>
#include <limits.h>
#include <string.h>

#include <string>

#include "shell/texts.h"

namespace {

std::string shown(const StatusText& text) {
    return std::string(text.bytes);
}

const std::string levelLabel = "\xD3\xF0\xEE\xE2\xE5\xED\xFC:"; // "Уровень:"
const std::string boxesLabel = "\xDF\xF9\xE8\xEA\xEE\xE2:";     // "Ящиков:"
const std::string stepsLabel = "\xD8\xE0\xE3\xEE\xE2:";         // "Шагов:"

// Numbers start in column ten after their label, are shown whole whatever
// their size or sign, a shorter number ends where it ends, and no write leaves
// its own buffer (guards on both sides) or touches another text.
TEST(StatusText, NumbersFollowTheirLabelsWholeAndStayInTheirBuffer) {
    const struct {
        const StatusText* text;
        const std::string* label;
        const char* pad;
        int32_t value;
        const char* digits;
    } cases[] = {
        {&levelText, &levelLabel, "  ", 1, "1"},
        {&boxesText, &boxesLabel, "   ", 12, "12"},
        {&stepsText, &stepsLabel, "    ", 0, "0"},
        {&stepsText, &stepsLabel, "    ", 99999, "99999"},
        {&boxesText, &boxesLabel, "   ", INT_MAX, "2147483647"},
        {&stepsText, &stepsLabel, "    ", INT_MIN, "-2147483648"},
        {&levelText, &levelLabel, "  ", -1, "-1"},
        {&levelText, &levelLabel, "  ", -10000, "-10000"},
        {&levelText, &levelLabel, "  ", 123456, "123456"},
    };
    StatusText steps = stepsText;
    for (const auto& c : cases) {
        struct {
            char before[8];
            StatusText text;
            char after[8];
        } guarded;
        memset(guarded.before, 0x55, sizeof guarded.before);
        memset(guarded.after, 0x55, sizeof guarded.after);
        guarded.text = *c.text;
        writeStatusNumber(&guarded.text, c.value);
        EXPECT_EQ(shown(guarded.text), *c.label + c.pad + c.digits);
        EXPECT_EQ(std::string(guarded.before, 8) + std::string(guarded.after, 8),
                  std::string(16, 0x55));
        writeStatusNumber(&steps, c.value); // one buffer written again and again
        EXPECT_EQ(shown(steps), stepsLabel + "    " + c.digits);
    }
    static_assert(StatusTextCapacity >= StatusNumberColumn + sizeof "-2147483648",
                  "room for any value");
}

// Every byte against the C library's own Windows-1251 table.
TEST(Windows1251, EveryByteMatchesTheSystemTable) {
    iconv_t convert = iconv_open("UTF-16LE", "CP1251");
    ASSERT_NE(convert, reinterpret_cast<iconv_t>(-1));
    for (int byte = 1; byte < 256; ++byte) {
        if (byte == 0x98) continue; // unassigned; Windows keeps it as U+0098
        char in[2] = {static_cast<char>(byte), 0};
        uint16_t wide[2];
        ASSERT_EQ(widenWindows1251(in, wide, 2), 1u);
        char* inAt = in;
        size_t inLeft = 1;
        unsigned char out[4];
        char* outAt = reinterpret_cast<char*>(out);
        size_t outLeft = sizeof out;
        ASSERT_NE(iconv(convert, &inAt, &inLeft, &outAt, &outLeft), static_cast<size_t>(-1))
            << byte;
        EXPECT_EQ(wide[0], out[0] | out[1] << 8) << "byte 0x" << std::hex << byte;
    }
    iconv_close(convert);
    uint16_t wide[2];
    widenWindows1251("\x98", wide, 2);
    EXPECT_EQ(wide[0], 0x0098);
}

TEST(Windows1251, TextsReadAsRussianAndLongTextsAreCutWithATerminator) {
    uint16_t wide[16];
    EXPECT_EQ(widenWindows1251(congratulationText, wide, 16), 11u);
    const uint16_t expected[] = {0x041F, 0x043E, 0x0437, 0x0434, 0x0440, 0x0430,
                                 0x0432, 0x043B, 0x044F, 0x044E, '!',    0};
    EXPECT_EQ(memcmp(wide, expected, sizeof expected), 0);
    uint16_t small[4] = {1, 1, 1, 1};
    EXPECT_EQ(widenWindows1251(windowTitleText, small, 3), 2u);
    EXPECT_EQ(small[1], 'i');
    EXPECT_EQ(small[2], 0);
    EXPECT_EQ(small[3], 1);
}

TEST(Windows1251, EveryRefusalHasItsOwnText) {
    for (int a = SavedGameUnreadable; a <= SavedGameBoxCountWrong; ++a) {
        EXPECT_GT(strlen(loadRefusedText(static_cast<SavedGameCheck>(a))), 10u);
        for (int b = a + 1; b <= SavedGameBoxCountWrong; ++b)
            EXPECT_STRNE(loadRefusedText(static_cast<SavedGameCheck>(a)),
                         loadRefusedText(static_cast<SavedGameCheck>(b)));
    }
}

// Without an earlier file the failure is told without its second sentence.
TEST(Windows1251, SaveFailureSpeaksOfTheEarlierFileOnlyInItsLongForm) {
    const std::string full = saveFailedText, first = saveFailedNoEarlierFileText;
    // " Прежний файл не изменён."
    EXPECT_EQ(full, first + " \xCF\xF0\xE5\xE6\xED\xE8\xE9 \xF4\xE0\xE9\xEB"
                            " \xED\xE5 \xE8\xE7\xEC\xE5\xED\xB8\xED.");
}

} // namespace
