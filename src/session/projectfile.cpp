#include "session/projectfile.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <set>

#include "platform/error.h"

namespace vezedo::session {

using nlohmann::json;
using nlohmann::ordered_json;

namespace {

ordered_json fileJson(const ProjectDataFile& f)
{
    ordered_json out;
    out["path"] = f.path;
    out["sha256"] = f.sha256;
    out["format"] = f.format;
    out["applyScale"] = f.applyScale;
    return out;
}

// The words a correction's kind has in the file, as "Save corrections..." writes them.
constexpr std::pair<Correction::Kind, const char*> kKinds[] = {{Correction::Kind::Exchange, "exchange"},
                                                               {Correction::Kind::Mirror, "mirror"},
                                                               {Correction::Kind::Exclude, "exclude"}};

ordered_json correctionJson(const Correction& c)
{
    ordered_json out;
    out["specimen"] = c.specimen;
    out["id"] = c.id;
    for (const auto& [kind, word] : kKinds)
        if (kind == c.kind)
            out["kind"] = word;
    if (c.kind == Correction::Kind::Exchange)
        out["landmarks"] = {c.i, c.j};
    return out;
}

ordered_json setJson(const std::optional<ProjectFileSet>& set)
{
    if (!set)
        return nullptr;
    ordered_json out;
    out["reader"] = set->reader;
    out["files"] = ordered_json::array();
    for (const ProjectDataFile& f : set->files)
        out["files"].push_back(fileJson(f));
    return out;
}

// Reads one project's JSON, naming the field of every problem.
class Reader {
public:
    explicit Reader(const std::string& file) : m_file(file) {}

    [[noreturn]] void fail(const std::string& where, const std::string& problem) const
    {
        throw FileFormatError(m_file, 0, "field \"" + where + "\": " + problem);
    }

    // The object's keys must be among `known`; `required` of them must be there.
    void keys(const json& object, const std::string& where, std::initializer_list<const char*> known) const
    {
        if (!object.is_object())
            fail(where, "expected an object, found " + std::string(object.type_name()));
        const std::set<std::string> allowed(known.begin(), known.end());
        for (const auto& item : object.items())
            if (!allowed.count(item.key()))
                fail(join(where, item.key()), "this version does not know this field");
    }
    const json& need(const json& object, const std::string& where, const char* key) const
    {
        if (!object.contains(key))
            fail(join(where, key), "missing");
        return object.at(key);
    }
    std::string text(const json& object, const std::string& where, const char* key) const
    {
        const json& v = need(object, where, key);
        if (!v.is_string())
            fail(join(where, key), "expected a text, found " + std::string(v.type_name()));
        return v.get<std::string>();
    }
    bool flag(const json& object, const std::string& where, const char* key) const
    {
        const json& v = need(object, where, key);
        if (!v.is_boolean())
            fail(join(where, key), "expected true or false, found " + std::string(v.type_name()));
        return v.get<bool>();
    }
    double number(const json& v, const std::string& where) const
    {
        if (!v.is_number())
            fail(where, "expected a number, found " + std::string(v.type_name()));
        const double d = v.get<double>();
        if (!std::isfinite(d))
            fail(where, "expected a finite number");
        return d;
    }
    // A whole number from `least` to `most`.
    std::size_t whole(const json& v, const std::string& where, double least, double most) const
    {
        const double d = number(v, where);
        if (d != std::floor(d) || d < least || d > most)
            fail(where, "expected a whole number from " + std::to_string(static_cast<long long>(least)) + " to " +
                            std::to_string(static_cast<long long>(most)) + ", found " + v.dump());
        return static_cast<std::size_t>(d);
    }
    const json& array(const json& v, const std::string& where) const
    {
        if (!v.is_array())
            fail(where, "expected a list, found " + std::string(v.type_name()));
        return v;
    }

    ProjectDataFile dataFile(const json& v, const std::string& where) const
    {
        keys(v, where, {"path", "sha256", "format", "applyScale"});
        ProjectDataFile f{text(v, where, "path"), text(v, where, "sha256"), text(v, where, "format"),
                          flag(v, where, "applyScale")};
        if (f.path.empty())
            fail(join(where, "path"), "empty");
        const bool hex = f.sha256.size() == 64 && f.sha256.find_first_not_of("0123456789abcdef") == std::string::npos;
        if (!hex)
            fail(join(where, "sha256"), "expected 64 lower-case hexadecimal digits");
        return f;
    }

    std::optional<ProjectFileSet> fileSet(const json& root, const char* key, std::set<std::string> readers) const
    {
        if (!root.contains(key) || root.at(key).is_null())
            return std::nullopt;
        const json& v = root.at(key);
        keys(v, key, {"reader", "files"});
        ProjectFileSet set{text(v, key, "reader"), {}};
        if (!readers.count(set.reader)) {
            std::string list;
            for (const std::string& r : readers)
                list += (list.empty() ? "" : ", ") + ("\"" + r + "\"");
            fail(join(key, "reader"), "expected one of " + list + ", found \"" + set.reader + "\"");
        }
        const json& files = array(need(v, key, "files"), join(key, "files"));
        if (files.empty())
            fail(join(key, "files"), "expected at least one file");
        for (std::size_t i = 0; i < files.size(); ++i)
            set.files.push_back(dataFile(files[i], join(key, "files") + "[" + std::to_string(i) + "]"));
        for (std::size_t i = 1; i < set.files.size(); ++i)
            if (set.files[i].applyScale != set.files[0].applyScale)
                fail(join(key, "files") + "[" + std::to_string(i) + "].applyScale",
                     "the files of one load were read with one Apply SCALE setting");
        return set;
    }

    Correction correction(const json& v, const std::string& where) const
    {
        keys(v, where, {"specimen", "id", "kind", "landmarks"});
        Correction c;
        c.specimen = whole(need(v, where, "specimen"), join(where, "specimen"), 1, 1e9);
        c.id = text(v, where, "id");
        const std::string kind = text(v, where, "kind");
        const auto known =
            std::find_if(std::begin(kKinds), std::end(kKinds), [&](const auto& k) { return kind == k.second; });
        if (known == std::end(kKinds))
            fail(join(where, "kind"), "expected \"exchange\", \"mirror\" or \"exclude\", found \"" + kind + "\"");
        c.kind = known->first;
        if (c.kind != Correction::Kind::Exchange) {
            if (v.contains("landmarks"))
                fail(join(where, "landmarks"), "only an exchange names landmarks");
            return c;
        }
        const std::string at = join(where, "landmarks");
        const json& landmarks = array(need(v, where, "landmarks"), at);
        if (landmarks.size() != 2)
            fail(at, "expected a list of the two landmarks exchanged, found " + landmarks.dump());
        c.i = whole(landmarks[0], at + "[0]", 1, 1e9);
        c.j = whole(landmarks[1], at + "[1]", 1, 1e9);
        if (c.i >= c.j)
            fail(at, "expected two different landmarks, the smaller first, found " + landmarks.dump());
        return c;
    }

    static std::string join(const std::string& where, const std::string& key)
    {
        return where.empty() ? key : where + "." + key;
    }

private:
    const std::string& m_file;
};

std::size_t lineOfByte(std::string_view text, std::size_t byte)
{
    std::size_t line = 1;
    for (std::size_t i = 0; i < byte && i < text.size(); ++i)
        line += text[i] == '\n' ? 1u : 0u;
    return line;
}

}  // namespace

std::string projectText(const Project& project)
{
    ordered_json root;
    root["format"] = std::string(kProjectFormat);
    root["version"] = kProjectVersion;
    root["specimens"] = setJson(project.specimens);
    root["replicate"] = setJson(project.replicate);
    root["groups"] = project.groups ? fileJson(*project.groups) : ordered_json(nullptr);
    ordered_json protocol;
    protocol["name"] = project.protocolName;
    protocol["form"] = project.protocolForm;
    protocol["lines"] = ordered_json::array();
    for (const ProtocolLine& line : project.protocol.lines()) {
        ordered_json l;
        l["number"] = line.stored;
        l["from"] = line.from;
        l["to"] = line.to;
        l["extra"] = line.extra;
        l["name"] = line.name;
        protocol["lines"].push_back(std::move(l));
    }
    root["protocol"] = std::move(protocol);
    ordered_json blocks;
    blocks["count"] = project.blockCount ? ordered_json(*project.blockCount) : ordered_json(nullptr);
    blocks["lists"] = project.blocks;
    root["blocks"] = std::move(blocks);
    ordered_json controls;
    controls["texts"] = ordered_json::object();
    for (const auto& [tag, text] : project.texts)
        controls["texts"][tag] = text;
    controls["values"] = ordered_json::object();
    for (const auto& [tag, value] : project.values)
        controls["values"][tag] = static_cast<int>(value);
    root["controls"] = std::move(controls);
    if (project.view) {
        ordered_json view;
        view["azimuth"] = project.view->azimuth;
        view["elevation"] = project.view->elevation;
        root["view"] = std::move(view);
    } else {
        root["view"] = nullptr;
    }
    root["corrections"] = ordered_json::array();
    for (const Correction& c : project.corrections)
        root["corrections"].push_back(correctionJson(c));
    try {
        return root.dump(2) + "\n";
    } catch (const ordered_json::type_error&) {
        throw Error("a line name, the protocol's name or a box holds text that is not UTF-8, which a project file "
                    "(JSON) cannot keep exactly; change that text and save again");
    }
}

Project parseProject(std::string_view text, const std::string& file, const ProjectControls& known)
{
    json root;
    try {
        root = json::parse(text.begin(), text.end());
    } catch (const json::parse_error& e) {
        throw FileFormatError(file, static_cast<int>(lineOfByte(text, e.byte > 0 ? e.byte - 1 : 0)),
                              "this is no valid JSON, so no project file (" + std::string(e.what()) + ")");
    }
    const Reader r(file);
    if (!root.is_object())
        throw FileFormatError(file, 0, "a project file is a JSON object; this is a " + std::string(root.type_name()));
    if (r.text(root, "", "format") != kProjectFormat)
        r.fail("format", "expected \"" + std::string(kProjectFormat) + "\", found " + root.at("format").dump());
    const json& version = r.need(root, "", "version");
    if (!version.is_number_integer() || version.get<long long>() != kProjectVersion)
        r.fail("version",
               "this program reads version " + std::to_string(kProjectVersion) + ", found " + version.dump());
    r.keys(root, "",
           {"format", "version", "specimens", "replicate", "groups", "protocol", "blocks", "controls", "view",
            "corrections"});
    Project p;
    p.specimens = r.fileSet(root, "specimens", {"tps", "table", "landmarks"});
    p.replicate = r.fileSet(root, "replicate", {"tps", "table"});
    if (p.replicate && !p.specimens)
        r.fail("replicate", "a replicate needs the specimens it repeats");
    if (root.contains("groups") && !root.at("groups").is_null()) {
        if (!p.specimens)
            r.fail("groups", "groups need the specimens they group");
        p.groups = r.dataFile(root.at("groups"), "groups");
    }

    const json& protocol = r.need(root, "", "protocol");
    r.keys(protocol, "protocol", {"name", "form", "lines"});
    p.protocolName = r.text(protocol, "protocol", "name");
    p.protocolForm = r.text(protocol, "protocol", "form");
    if (p.protocolForm != "plain" && p.protocolForm != "csv")
        r.fail("protocol.form", "expected \"plain\" or \"csv\", found \"" + p.protocolForm + "\"");
    const json& lines = r.array(r.need(protocol, "protocol", "lines"), "protocol.lines");
    std::vector<ProtocolLine> read;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string where = "protocol.lines[" + std::to_string(i) + "]";
        const json& l = lines[i];
        r.keys(l, where, {"number", "from", "to", "extra", "name"});
        ProtocolLine line;
        line.stored = r.number(r.need(l, where, "number"), where + ".number");
        line.from = r.whole(r.need(l, where, "from"), where + ".from", 1, 1e9);
        line.to = r.whole(r.need(l, where, "to"), where + ".to", 1, 1e9);
        const json& extra = r.array(r.need(l, where, "extra"), where + ".extra");
        for (std::size_t k = 0; k < extra.size(); ++k)
            line.extra.push_back(r.number(extra[k], where + ".extra[" + std::to_string(k) + "]"));
        line.name = r.text(l, where, "name");
        read.push_back(std::move(line));
    }
    p.protocol = Protocol(std::move(read));

    const json& blocks = r.need(root, "", "blocks");
    r.keys(blocks, "blocks", {"count", "lists"});
    const double most = static_cast<double>(BlockStructure::kMaxBlocks);
    if (const json& count = r.need(blocks, "blocks", "count"); !count.is_null())
        p.blockCount = r.whole(count, "blocks.count", 1, most);
    const json& lists = r.array(r.need(blocks, "blocks", "lists"), "blocks.lists");
    if (lists.size() > BlockStructure::kMaxBlocks)
        r.fail("blocks.lists", "more than " + std::to_string(BlockStructure::kMaxBlocks) + " blocks");
    for (std::size_t b = 0; b < lists.size(); ++b) {
        const std::string where = "blocks.lists[" + std::to_string(b) + "]";
        const json& list = r.array(lists[b], where);
        BlockStructure::Lines numbers;
        for (std::size_t k = 0; k < list.size(); ++k)
            numbers.push_back(r.whole(list[k], where + "[" + std::to_string(k) + "]", 0, 1e9));
        p.blocks.push_back(std::move(numbers));
    }

    const json& controls = r.need(root, "", "controls");
    r.keys(controls, "controls", {"texts", "values"});
    const json& texts = r.need(controls, "controls", "texts");
    if (!texts.is_object())
        r.fail("controls.texts", "expected an object, found " + std::string(texts.type_name()));
    for (const auto& item : texts.items()) {
        const std::string where = "controls.texts." + item.key();
        if (!known.texts.count(item.key()))
            r.fail(where, "no box of the main window has this tag");
        if (!item.value().is_string())
            r.fail(where, "expected a text, found " + std::string(item.value().type_name()));
        p.texts[item.key()] = item.value().get<std::string>();
    }
    const json& values = r.need(controls, "controls", "values");
    if (!values.is_object())
        r.fail("controls.values", "expected an object, found " + std::string(values.type_name()));
    for (const auto& item : values.items()) {
        const std::string where = "controls.values." + item.key();
        if (!known.values.count(item.key()))
            r.fail(where, "no tick box of the main window has this tag");
        p.values[item.key()] = static_cast<double>(r.whole(item.value(), where, 0, 1));
    }

    if (root.contains("view") && !root.at("view").is_null()) {
        const json& view = root.at("view");
        r.keys(view, "view", {"azimuth", "elevation"});
        ProjectView v;
        v.azimuth = r.number(r.need(view, "view", "azimuth"), "view.azimuth");
        v.elevation = r.number(r.need(view, "view", "elevation"), "view.elevation");
        if (v.elevation < -90 || v.elevation > 90)
            r.fail("view.elevation", "expected -90 to 90 degrees");
        p.view = v;
    }
    if (root.contains("corrections")) {
        const json& corrections = r.array(root.at("corrections"), "corrections");
        for (std::size_t n = 0; n < corrections.size(); ++n)
            p.corrections.push_back(r.correction(corrections[n], "corrections[" + std::to_string(n) + "]"));
    }
    return p;
}

}  // namespace vezedo::session
