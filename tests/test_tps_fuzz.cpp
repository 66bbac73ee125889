// Random and mutated TPS texts: the reader gives a consistent table or a FileFormatError,
// never anything else. A crash, a hang or an allocation for a made-up landmark count fails
// the run (under the sanitizers a huge allocation aborts).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "io/tps.h"
#include "platform/error.h"

using namespace vezedo;

namespace {

std::string validFile(std::mt19937& random)
{
    std::uniform_int_distribution<int> count(1, 6);
    std::uniform_real_distribution<double> coordinate(-100.0, 100.0);
    const int landmarks = count(random);
    std::string text = "# fuzz\n";
    for (int s = 0, specimens = count(random); s < specimens; ++s) {
        text += (s % 2 ? "LM3=" : "LM=") + std::to_string(landmarks) + "\n";
        for (int i = 0; i < 3 * landmarks; ++i)
            text += std::to_string(coordinate(random)) + (i % 3 == 2 ? "\n" : " ");
        text += "IMAGE=s" + std::to_string(s) + ".ply\nID=" + std::to_string(s) + "\nCURVES=1\nPOINTS=1\n1 2 3\n";
    }
    return text;
}

// Truncations, random bytes, dropped stretches, inserted header fragments and changed digits.
std::string mutate(std::string text, std::mt19937& random)
{
    static const std::string fragments[] = {"LM=",      "lm3=",  "LM2=",   "l=",      "LM=999999999999",
                                            "LM=1e300", "LM=-1", "LM=nan", "ID=",     "\n",
                                            "\r\n",     " ",     "1e400",  "-",       "+",
                                            ".",        "inf",   "nan(",   "POINTS=", "0x1p3",
                                            "LM=0",     "LLM=",  "1.5e",   {'\0'}};
    auto pick = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(random); };
    for (std::size_t e = 0, edits = 1 + pick(3); e < edits; ++e) {
        const std::size_t at = pick(text.size()), kind = pick(4);
        if (kind == 0)
            text.resize(at);
        else if (kind == 1)
            text.insert(at, 1, static_cast<char>(pick(255)));
        else if (kind == 2)
            text.erase(at, pick(12));
        else if (kind == 3)
            text.insert(at, fragments[pick(std::size(fragments) - 1)]);
        else if (at < text.size())
            text[at] = static_cast<char>('0' + pick(9));
    }
    return text;
}

void expectTableOrFormatError(const std::string& text)
{
    try {
        const io::TpsData d = io::parseTps(text, "fuzz.tps");
        const std::size_t k = d.table.rows();
        ASSERT_GT(k, 0u);
        ASSERT_EQ(d.table.cols() % 3, 0u);
        ASSERT_EQ(d.namelist.size(), k + 1);
        ASSERT_EQ(d.ids.size(), k);
        ASSERT_EQ(d.namelist.back(), platform::Value(-1.0));
    } catch (const FileFormatError& e) {
        ASSERT_EQ(e.file(), "fuzz.tps");
        ASSERT_FALSE(std::string(e.what()).empty());
    }
}

}  // namespace

TEST(TpsReaderFuzz, MutatedFilesAndRandomBytesGiveATableOrAFormatError)
{
    std::mt19937 random(20240611);
    for (int i = 0; i < 4000; ++i)
        ASSERT_NO_FATAL_FAILURE(expectTableOrFormatError(mutate(validFile(random), random))) << "mutated case " << i;

    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> length(0, 300);
    for (int i = 0; i < 2000; ++i) {
        std::string text(length(random), '\0');
        for (char& ch : text)
            ch = static_cast<char>(byte(random));
        if (i % 10 == 0)  // a header in front, so the coordinates are read too
            text.insert(0, "LM=2\n");
        ASSERT_NO_FATAL_FAILURE(expectTableOrFormatError(text)) << "random case " << i;
    }
}
