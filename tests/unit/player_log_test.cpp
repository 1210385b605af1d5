#include <gtest/gtest.h>

#include "player/BmpImage.h"
#include "player/PlayerLog.h"
#include "player/RenderPacer.h"
#include "playerapi/VisRecords.h"

namespace player::player_log_test {
namespace {

TEST(PlayerLog, Lines) {
    winampVisModule module{};
    module.description = "Skyburst v2.21";
    module.latencyMs = 25;
    module.delayMs = 10;
    module.spectrumNch = 2;
    module.waveformNch = 0;
    winampVisModule odd{};
    odd.description = nullptr;
    odd.latencyMs = -1;

    struct Case {
        std::string have;
        const char* want;
    };
    const Case cases[] = {
        {HeaderLine(257, "Skyburst Plugin"), "header version=257 description=\"Skyburst Plugin\""},
        {HeaderLine(0, nullptr), "header version=0 description=null"},
        {ModuleLine(0, &module),
         "module 0 description=\"Skyburst v2.21\" latencyMs=25 delayMs=10 spectrumNch=2 waveformNch=0"},
        {ModuleLine(0, &odd), "module 0 description=null latencyMs=-1 delayMs=0 spectrumNch=0 waveformNch=0"},
        {ModuleLine(1, nullptr), "module 1 null"},
        {InitLine(0), "init result=0"},
        {InitLine(-5), "init result=-5"},
        {CommandLine(40045, 0), "command id=40045"},
        {CommandLine((1u << 16) | 40061, 7), "command id=40061 code=1 lparam=7"},
        {RenderSummaryLine(987, 0), "render count=987 nonzero=0"},
        {QuoteText("say \"hi\"\\\n\xE9"), "\"say \\\"hi\\\"\\\\\\x0A\\xE9\""},
        {QuoteText("abcdef", 3), "\"abc\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.have, c.want);
    }
}

TEST(PlayerLog, CrashLineFitsAnyBuffer) {
    struct Case {
        std::uint32_t code;
        std::size_t size;
        const char* want;
    };
    const Case cases[] = {
        {0xC0000005u, 64, "crash code=0xC0000005"},
        {0x40000015u, 22, "crash code=0x40000015"},
        {0xC0000005u, 8, "crash c"},
        {0xC0000005u, 1, ""},
    };
    for (const Case& c : cases) {
        char buffer[64];
        const std::size_t length = FormatCrashLine(c.code, buffer, c.size);
        EXPECT_EQ(std::string(buffer, length), c.want) << "size " << c.size;
        EXPECT_EQ(buffer[length], '\0') << "size " << c.size;
    }
    char untouched = 'x';
    EXPECT_EQ(FormatCrashLine(1, &untouched, 0), 0u);
    EXPECT_EQ(untouched, 'x');
}

TEST(PlayerBmp, HeaderAndPaddedBottomUpRows) {
    // Two rows of three pixels, 9 bytes each in the source with a stride of 10; a BMP row is padded to 12.
    const std::uint8_t rows[] = {
        1,  2,  3,  4,  5,  6,  7,  8,  9,  0xEE,  // bottom row
        10, 11, 12, 13, 14, 15, 16, 17, 18, 0xEE,
    };
    const auto bmp = EncodeBmp24(3, 2, rows, 10);
    ASSERT_EQ(bmp.size(), 54u + 2 * 12);
    const auto u32 = [&bmp](std::size_t at) {
        return bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | static_cast<std::uint32_t>(bmp[at + 3]) << 24;
    };
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(u32(2), bmp.size());
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), 3u);
    EXPECT_EQ(u32(22), 2u);
    EXPECT_EQ(bmp[26] | bmp[27] << 8, 1);
    EXPECT_EQ(bmp[28] | bmp[29] << 8, 24);
    EXPECT_EQ(u32(30), 0u);  // uncompressed
    EXPECT_EQ(u32(34), 24u);
    const std::vector<std::uint8_t> pixels(bmp.begin() + 54, bmp.end());
    const std::vector<std::uint8_t> want = {1,  2,  3,  4,  5,  6,  7,  8,  9,  0, 0, 0,
                                            10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
    EXPECT_EQ(pixels, want);
    EXPECT_TRUE(EncodeBmp24(0, 5, rows, 10).empty());
}

TEST(PlayerPacer, RendersEveryDelayWithoutCatchUpBursts) {
    struct Step {
        std::int64_t nowUs;
        bool due;
        bool render;
        std::int64_t nextUs;
    };
    // Start at 1000 us with 10 ms between Renders.
    const Step steps[] = {
        {1000, false, false, 11000},    {10999, false, false, 11000},
        {11000, true, true, 21000},     {22500, true, true, 31000},   // a little late: the cadence holds
        {31000, true, true, 41000},     {95000, true, true, 105000},  // far behind: a fresh period, no burst
        {104999, false, false, 105000},
    };
    RenderPacer pacer(1000, 10);
    for (const Step& s : steps) {
        EXPECT_EQ(pacer.Due(s.nowUs), s.due) << s.nowUs;
        if (s.render) {
            pacer.RenderDone(s.nowUs);
        }
        EXPECT_EQ(pacer.NextUs(), s.nextUs) << s.nowUs;
    }
    RenderPacer zeroDelay(0, 0);
    EXPECT_EQ(zeroDelay.NextUs(), 1000);
}

}  // namespace
}  // namespace player::player_log_test
