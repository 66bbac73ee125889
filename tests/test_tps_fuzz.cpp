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
    const int specimens = count(random);
    std::string text = "# fuzz\n";
    char number[32];
    for (int s = 0; s < specimens; ++s) {
        text += (s % 2 ? "LM3=" : "LM=") + std::to_string(landmarks) + "\n";
        for (int i = 0; i < 3 * landmarks; ++i) {
            std::snprintf(number, sizeof number, "%.4f%c", coordinate(random), i % 3 == 2 ? '\n' : ' ');
            text += number;
        }
        text += "IMAGE=s" + std::to_string(s) + ".ply\nID=" + std::to_string(s) + "\nCURVES=1\nPOINTS=1\n1 2 3\n";
    }
    return text;
}

const char* const kFragments[] = {"LM=",      "lm3=",  "LM2=",   "l=",      "LM=999999999999",
                                  "LM=1e300", "LM=-1", "LM=nan", "ID=",     "\n",
                                  "\r\n",     " ",     "1e400",  "-",       "+",
                                  ".",        "inf",   "nan(",   "POINTS=", "0x1p3",
                                  "LM=0",     "LLM=",  "1.5e",   "\0"};

std::string mutate(std::string text, std::mt19937& random)
{
    auto pick = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(random); };
    const std::size_t edits = 1 + pick(3);
    for (std::size_t e = 0; e < edits; ++e) {
        const std::size_t at = pick(text.size());
        switch (pick(5)) {
        case 0:  // truncate
            text.resize(at);
            break;
        case 1:  // a random byte
            text.insert(at, 1, static_cast<char>(pick(255)));
            break;
        case 2:  // drop a stretch: missing numbers, cut headers
            text.erase(at, pick(12));
            break;
        case 3: {
            const std::string fragment = kFragments[pick(std::size(kFragments) - 1)];
            text.insert(at, fragment.empty() ? std::string(1, '\0') : fragment);
            break;
        }
        case 4:  // a digit changed: counts and coordinates
            if (at < text.size())
                text[at] = static_cast<char>('0' + pick(9));
            break;
        default:  // binary noise
            for (std::size_t i = 0, n = pick(16); i < n; ++i)
                text.insert(pick(text.size()), 1, static_cast<char>(pick(255)));
        }
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

TEST(TpsReaderFuzz, MutatedFilesGiveATableOrAFormatError)
{
    std::mt19937 random(20240611);
    for (int i = 0; i < 4000; ++i) {
        const std::string text = mutate(validFile(random), random);
        ASSERT_NO_FATAL_FAILURE(expectTableOrFormatError(text)) << "case " << i;
    }
}

TEST(TpsReaderFuzz, RandomBytesGiveATableOrAFormatError)
{
    std::mt19937 random(99);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> length(0, 300);
    for (int i = 0; i < 2000; ++i) {
        std::string text(length(random), '\0');
        for (char& ch : text)
            ch = static_cast<char>(byte(random));
        // Every tenth case starts with a header, so the coordinate read is reached too.
        if (i % 10 == 0)
            text.insert(0, "LM=2\n");
        ASSERT_NO_FATAL_FAILURE(expectTableOrFormatError(text)) << "case " << i;
    }
}
