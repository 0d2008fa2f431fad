// The reader's number conversion must give the C library's atoi/atof results bit for
// bit, on the odd forms a hand-edited file holds as well as on plain numbers.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "scene/NumberParsing.h"
#include "scene/SceneStream.h"

namespace talan {
namespace {

uint64_t Bits(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void ExpectSameAsCLibrary(const std::string& text) {
    EXPECT_EQ(ParseIntLikeAtoi(text), std::atoi(text.c_str())) << "atoi of '" << text << "'";
    const double expected = std::atof(text.c_str());
    const double actual = ParseDoubleLikeAtof(text);
    if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(actual)) << "atof of '" << text << "'";
        EXPECT_EQ(std::signbit(actual), std::signbit(expected)) << "atof of '" << text << "'";
    } else {
        EXPECT_EQ(Bits(actual), Bits(expected)) << "atof of '" << text << "': " << actual << " vs " << expected;
    }
}

TEST(NumberParsing, HandPickedFormsMatchTheCLibrary) {
    const char* cases[] = {
        "", " ", "0", "-0", "+0", "42", "  \t\n 42", "\n\n-17", "12abc", "1,5", "1.5", "-1.5e3", ".5", "5.",
        ".", "-.", "+-1", "-+1", "--1", "++1", "1e", "1e+", "1e-", "1E5", "1e308", "1e309", "-1e309", "1e-320",
        "1e-400", "2.2250738585072011e-308", "4.9406564584124654e-324", "0x1p3", "0X1.8P1", "-0x10", "0x",
        "0xg", "0x.8", "inf", "-inf", "INF", "infinity", "-Infinity", "infin", "nan", "-nan", "NaN(123)",
        "nan(", "nanx", "9223372036854775807", "9223372036854775808", "-9223372036854775808",
        "-9223372036854775809", "99999999999999999999999", "4294967296", "2147483648", "-2147483649",
        "4294967295", "00000000000000000000000000001", "1.00000000000000011102230246251565404236316680908203125",
        "179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977587207096330"
        "286416692887910946555547851940402630927103585784938254466536279418290082549587600048125155424236080",
        "16711680", "65280,", "255 ", "\v\f\r 7", "1\x00" "5", "3.4028235e38", "3.4028236e38", "1e39",
    };
    for (const char* text : cases) ExpectSameAsCLibrary(text);
    // A NUL ends the number as it ends the C string.
    EXPECT_EQ(ParseIntLikeAtoi(std::string_view("12\0" "34", 5)), 12);
    EXPECT_EQ(ParseDoubleLikeAtof(std::string_view("1.5\0" "9", 5)), 1.5);
}

TEST(NumberParsing, GeneratedStringsMatchTheCLibrary) {
    std::mt19937 random(20261206);
    const std::string pieces[] = {"0", "1", "7", "9", "00", "123456789", ".", "e", "E", "+", "-", " ", "\n",
                                  "x", "0x", "p", "inf", "nan", ",", "a", "f", "e-", "e+3", "9999999999"};
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        const int count = static_cast<int>(random() % 6) + 1;
        for (int k = 0; k < count; ++k) text += pieces[random() % std::size(pieces)];
        ExpectSameAsCLibrary(text);
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(NumberParsing, RandomDoublesRoundTripAsTheCLibraryReadsThem) {
    std::mt19937_64 random(7);
    char buffer[64];
    for (int i = 0; i < 100000; ++i) {
        double value;
        const uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) continue;
        const int digits = static_cast<int>(random() % 20) + 1;
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
        ExpectSameAsCLibrary(buffer);
        if (::testing::Test::HasFailure()) return;
    }
}

// The readers convert fields straight from the file buffer; whatever the field holds,
// the result and the position after the delimiter are those of reading the field
// first and converting it with the C library.
TEST(NumberParsing, FieldReadsAgreeWithReadingTheFieldThenConverting) {
    std::mt19937 random(99);
    const std::string pieces[] = {"0", "1", "9", "12345678", "-", "+", ".", "e5", " ", "\n", "x", "inf", "00000000"};
    for (int i = 0; i < 100000; ++i) {
        std::string field;
        const int count = static_cast<int>(random() % 5) + 1;
        for (int k = 0; k < count; ++k) field += pieces[random() % std::size(pieces)];
        for (const char delimiter : {',', '\n'}) {
            if (field.find(delimiter) != std::string::npos) continue;
            const std::string text = field + delimiter + "7";
            SceneStream floats = MakeSceneStream(text), ints = MakeSceneStream(text);
            const float f = ReadFloatUpTo(floats, delimiter);
            const float expected = NarrowToFloat(std::atof(field.c_str()));
            if (std::isnan(expected)) {
                EXPECT_TRUE(std::isnan(f)) << field;
            } else {
                EXPECT_EQ(f, expected) << "'" << field << "'";
                EXPECT_EQ(std::signbit(f), std::signbit(expected)) << "'" << field << "'";
            }
            EXPECT_EQ(ReadIntUpTo(ints, delimiter), std::atoi(field.c_str())) << "'" << field << "'";
            EXPECT_EQ(*floats.cursor, '7');
            EXPECT_EQ(*ints.cursor, '7');
        }
        if (::testing::Test::HasFailure()) return;
    }
    // Without a delimiter the field runs to the end of the file.
    SceneStream s = MakeSceneStream("12.5");
    EXPECT_EQ(ReadFloatUpTo(s, ','), 12.5f);
    EXPECT_TRUE(s.eof && s.AtEnd());
}

TEST(NumberParsing, NarrowingRoundsAsTheHardwareAndNeverOverflowsUndefined) {
    EXPECT_EQ(NarrowToFloat(0.1), 0.1f);
    EXPECT_EQ(NarrowToFloat(1e39), std::numeric_limits<float>::infinity());
    EXPECT_EQ(NarrowToFloat(-1e39), -std::numeric_limits<float>::infinity());
    // Just above the largest float but below the halfway point still rounds down to it.
    EXPECT_EQ(NarrowToFloat(static_cast<double>(FLT_MAX) * (1 + 1e-9)), FLT_MAX);
    EXPECT_EQ(NarrowToFloat(0x1.ffffffp127), std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isnan(NarrowToFloat(std::nan(""))));
    EXPECT_EQ(NarrowToFloat(1e-50), 0.0f);
}

TEST(NumberParsing, TruncationToInt32SaturatesAndTakesNaNAsZero) {
    EXPECT_EQ(TruncateToInt32Saturated(80.9), 80);
    EXPECT_EQ(TruncateToInt32Saturated(-80.9), -80);
    EXPECT_EQ(TruncateToInt32Saturated(3e9), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(TruncateToInt32Saturated(-3e9), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(TruncateToInt32Saturated(std::numeric_limits<double>::infinity()), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(TruncateToInt32Saturated(-std::numeric_limits<double>::infinity()), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(TruncateToInt32Saturated(std::nan("")), 0);
}

}  // namespace
}  // namespace talan
