// The block-structure file: "SaveMatrix" writes it, "LoadBlock" reads it. Line 1 is the
// protocol name and a blank; then one line per block, each number written as " %i ".

#include "controller/controller.h"
#include "io/files.h"
#include "platform/error.h"
#include "platform/numtext.h"
#include "platform/textformat.h"

namespace vezedo::controller {

using platform::Value;

std::string blockStructureText(const std::string& protoname, const std::vector<std::vector<double>>& blocks,
                               double nblocks)
{
    std::string text = protoname + " \n";
    for (std::size_t k = 1; static_cast<double>(k) <= nblocks; ++k) {
        if (k <= blocks.size())
            for (double line : blocks[k - 1])
                text += platform::formatText(" %i ", {Value(line)});
        text += '\n';
    }
    return text;
}

std::vector<std::vector<double>> parseBlockStructure(std::string_view text)
{
    std::vector<std::vector<double>> blocks;
    std::size_t start = text.find('\n');
    if (start == std::string_view::npos)
        return blocks;  // a header alone
    ++start;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const Matrix m = platform::parseNumericText(line);
        std::vector<double> block;
        for (std::size_t r = 0; r < m.rows(); ++r)
            for (std::size_t c = 0; c < m.cols(); ++c)
                block.push_back(m(r, c));  // zeros stay: the file is taken as written
        blocks.push_back(std::move(block));
        start = end + 1;
    }
    return blocks;
}

void Controller::saveMatrix()
{
    if (const auto chosen = chooseFile(platform::FileDialogKind::Save, "Enter Name for Block Structure File"))
        writeOrReport(*chosen, blockStructureText(m_state.protoname, m_state.block, m_state.nblocks.value_or(0)));
}

void Controller::loadBlock()
{
    const auto chosen = chooseFile(platform::FileDialogKind::Open, "Enter Name of Block Structure File");
    if (!chosen)
        return;
    std::string content;
    try {
        content = io::readFile(io::joinPath(chosen->folder, chosen->name));
    } catch (const Error& e) {
        message("Could not load the block structure.\n" + std::string(e.what()));
        return;
    }
    std::vector<std::vector<double>> blocks = parseBlockStructure(content);
    const std::size_t count = blocks.size();
    for (std::size_t k = 0; k < count; ++k)
        storeBlock(static_cast<double>(k + 1), std::move(blocks[k]), "the block-structure file");
    m_state.nblocks = static_cast<double>(count);
    m_state.lineh = kNoLine;
    makeCurrent(m_state.mf, "plot window");
    setString("BlockBox", "  ");
    if (count > 0)
        setString("BlockBox", blockText(1));
    displayHandles("nh", "CurrentBlockBox");
    setString("CurrentBlockBox", " 1 ");
    setString("MaxBlockBox", platform::numberToText(static_cast<double>(count)));
    run("ShowBlockStructure");
}

}  // namespace vezedo::controller
