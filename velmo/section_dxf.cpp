// A section drawn in its own plane as a DXF file, and a design line read
// back from one into the section's red line.
#include "velmo.h"

#include "c_notation.h"
#include "section_state.h"
#include "workspace_state.h"

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace velmo {

namespace {

// AutoCAD R12: the oldest and most widely read form, with POLYLINE/VERTEX
// rather than LWPOLYLINE.
const DL_Codes::version DXF_VERSION = DL_VERSION_R12;

const char POINTS_LAYER[] = "POINTS";
const char GROUND_LAYER[] = "GROUND";
const char DESIGN_LAYER[] = "DESIGN";

// Colours of the section view: white points, blue ground, red design.
const int WHITE = 7, BLUE = 5, RED = 1;

// Line ends that meet within this (m) are one point of the design line.
const double JOIN_TOLERANCE = 1e-4;

struct PlanePoint {
    double u, v;
};

using Chain = std::vector<PlanePoint>;

// ---- export -----------------------------------------------------------------

// What the drawing shows, copied out of the section so no lock is held while
// the file is written.
struct Drawing {
    Chain points;
    Chain ground;
    Chain design;
};

Chain plane_points(const Array *list)
{
    Chain chain;
    for (size_t i = 0; list && i < array_size(list); i++) {
        void *item = nullptr;
        if (array_get_at(list, i, &item) != CC_OK || !item)
            continue;
        const auto *p = static_cast<const velmo_point_t *>(item);
        if (std::isfinite(p->u) && std::isfinite(p->v))
            chain.push_back({p->u, p->v});
    }
    return chain;
}

Drawing section_drawing(wks_t *wks, section_t *section)
{
    Drawing drawing;
    for (const GroundPoint &p : section_ground_line(wks, section, true))
        if (std::isfinite(p.u) && std::isfinite(p.v))
            drawing.ground.push_back({p.u, p.v});
    std::lock_guard<std::mutex> guard(section->state->lock);
    drawing.points = plane_points(section->points);
    drawing.design = plane_points(section->red_line);
    return drawing;
}

void write_tables(DL_Dxf &dxf, DL_WriterA &out)
{
    dxf.writeHeader(out);
    out.sectionEnd();
    out.sectionTables();
    dxf.writeVPort(out);
    out.tableLinetypes(3);
    dxf.writeLinetype(out, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
    dxf.writeLinetype(out, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
    dxf.writeLinetype(out, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
    out.tableEnd();
    out.tableLayers(4);
    dxf.writeLayer(out, DL_LayerData("0", 0), DL_Attributes("", WHITE, -1, 15, "CONTINUOUS"));
    dxf.writeLayer(out, DL_LayerData(POINTS_LAYER, 0), DL_Attributes("", WHITE, -1, 15, "CONTINUOUS"));
    dxf.writeLayer(out, DL_LayerData(GROUND_LAYER, 0), DL_Attributes("", BLUE, -1, 15, "CONTINUOUS"));
    dxf.writeLayer(out, DL_LayerData(DESIGN_LAYER, 0), DL_Attributes("", RED, -1, 15, "CONTINUOUS"));
    out.tableEnd();
    out.tableStyle(1);
    dxf.writeStyle(out, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
    out.tableEnd();
    dxf.writeView(out);
    dxf.writeUcs(out);
    out.tableAppid(1);
    dxf.writeAppid(out, "ACAD");
    out.tableEnd();
    out.sectionEnd();
    out.sectionBlocks();
    dxf.writeBlock(out, DL_BlockData("*Model_Space", 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(out, "*Model_Space");
    dxf.writeBlock(out, DL_BlockData("*Paper_Space", 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(out, "*Paper_Space");
    out.sectionEnd();
}

void write_polyline(DL_Dxf &dxf, DL_WriterA &out, const Chain &chain, const char *layer)
{
    if (chain.size() < 2)
        return;
    dxf.writePolyline(out, DL_PolylineData(int(chain.size()), 0, 0, 0), DL_Attributes(layer, 256, -1, -1, "BYLAYER"));
    for (const PlanePoint &p : chain)
        dxf.writeVertex(out, DL_VertexData(p.u, p.v, 0.0));
    dxf.writePolylineEnd(out);
}

void write_drawing(const Drawing &drawing, const std::string &path)
{
    DL_Dxf dxf;
    std::unique_ptr<DL_WriterA> out(dxf.out(path.c_str(), DXF_VERSION));
    if (!out)
        return;
    write_tables(dxf, *out);
    out->sectionEntities();
    DL_Attributes points(POINTS_LAYER, 256, -1, -1, "BYLAYER");
    for (const PlanePoint &p : drawing.points)
        dxf.writePoint(*out, DL_PointData(p.u, p.v, 0.0), points);
    write_polyline(dxf, *out, drawing.ground, GROUND_LAYER);
    write_polyline(dxf, *out, drawing.design, DESIGN_LAYER);
    out->sectionEnd();
    out->dxfEOF();
    out->close();
}

// ---- the file's shape --------------------------------------------------------

std::string trimmed(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool integer(const std::string &text, long long *value)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    *value = std::strtoll(text.c_str(), &end, 10);
    return *end == '\0' && errno == 0;
}

// The counts the reader sizes its buffers by: vertices of LWPOLYLINE and
// LEADER, loops and edges of HATCH, knots and points of SPLINE.
bool sizing_count(const std::string &entity, long long code)
{
    if (entity == "LWPOLYLINE")
        return code == 90;
    if (entity == "HATCH")
        return code == 91 || code == 93;
    if (entity == "SPLINE")
        return code >= 72 && code <= 74;
    return entity == "LEADER" && code == 76;
}

// Text DXF is a list of line pairs, a group code and its value, opening with
// a code (0 before SECTION, or 999 before a comment) and closed by 0 / EOF.
// A file that is anything else, was cut short, or claims a count no file of
// its size could hold (the reader would allocate memory for it) is refused
// before the reader sees it.
// Real DXF lines are short; a file without line ends must not be read
// whole into one line.
const size_t kLongestLine = 65536;

bool bounded_line(std::istream &in, std::string *line)
{
    line->clear();
    std::streambuf *buffer = in.rdbuf();
    for (int c = buffer->sbumpc(); c != std::char_traits<char>::eof(); c = buffer->sbumpc()) {
        if (c == '\n')
            return true;
        if (line->size() >= kLongestLine)
            return false;
        line->push_back(char(c));
    }
    return !line->empty();
}

// A coordinate (group codes 10 to 39) must be a number the reader can hold:
// "inf", "nan" or 1e400 would reach the section as infinities.
bool coordinate_code(long long code)
{
    return code >= 10 && code <= 39;
}

bool finite_number(const std::string &text)
{
    if (text.empty())
        return false;
    double value = 0;
    const char *end = read_c_number(text.c_str(), &value);
    return end && *end == '\0' && std::isfinite(value);
}

// Line vertices the pair adds: each VERTEX of a POLYLINE, each point of an
// LWPOLYLINE, the two ends of a LINE.
size_t vertices_of(const std::string &entity, long long code, const std::string &value)
{
    if (code == 0 && value == "VERTEX")
        return 1;
    if (code == 0 && value == "LINE")
        return 2;
    return entity == "LWPOLYLINE" && code == 10 ? 1 : 0;
}

std::string at_line(long long number)
{
    return "line " + std::to_string(number);
}

// What is wrong with the value of a pair on the given line, or "".
std::string value_fault(const std::string &entity, long long code, const std::string &value, long long largest,
                        long long line)
{
    long long number = 0;
    if (sizing_count(entity, code) && integer(value, &number) && number > largest)
        return "It is damaged: " + at_line(line) + " claims " + value + " items, more than a file of its size holds.";
    if (coordinate_code(code) && !finite_number(value))
        return "It is damaged: the coordinate \"" + value.substr(0, 40) + "\" on " + at_line(line) +
               " is not a finite number.";
    return "";
}

// Why the file cannot be taken as a text DXF file, or "" when it can.  The
// check stops at the first line that is no part of a DXF pair, and as soon
// as the drawing has more line vertices than most_vertices, without reading
// the rest of it.
std::string dxf_fault(const std::string &path, size_t most_vertices)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return "The file does not exist.";
    if (!std::filesystem::is_regular_file(path, ec))
        return "It is not a regular file.";
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return std::string("The file cannot be read: ") + std::strerror(errno) + ".";
    const long long size = static_cast<long long>(in.tellg());
    if (size <= 0)
        return "The file is empty.";
    const long long largest = std::max<long long>(65535, size / 2);
    in.seekg(0);
    std::string code_line, value_line, entity, damage;
    size_t vertices = 0;
    long long line = 1;
    for (bool first = true; bounded_line(in, &code_line) && bounded_line(in, &value_line); first = false, line += 2) {
        if (first && code_line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            code_line.erase(0, 3);
        long long code = -1;
        if (!integer(trimmed(code_line), &code) || code < 0 || code > 1071 || (first && code != 0 && code != 999))
            return "It is not a DXF text file: " + at_line(line) + " is not a group code.";
        std::string value = trimmed(value_line);
        if (code == 0 && value == "EOF")
            return damage;
        // A damaged value is told only once the file is known to be whole:
        // in a file cut short it is just the cut.
        if (code == 0)
            entity = value;
        else if (damage.empty())
            damage = value_fault(entity, code, value, largest, line + 1);
        vertices += vertices_of(entity, code, value);
        if (vertices > most_vertices)
            return "The drawing has more than " + std::to_string(most_vertices) +
                   " line vertices; a design line may have at most that many.";
    }
    if (code_line.size() >= kLongestLine || value_line.size() >= kLongestLine)
        return "It is not a DXF text file: " + at_line(code_line.size() >= kLongestLine ? line : line + 1) +
               " is longer than " + std::to_string(kLongestLine) + " bytes.";
    return "It is cut short: it ends at " + at_line(line) + " without the DXF end marker (0, EOF).";
}

bool sound_dxf(const std::string &path)
{
    return dxf_fault(path, SIZE_MAX).empty();
}

// ---- import -----------------------------------------------------------------

// A line of the drawing and the layer it was drawn on.
struct Piece {
    std::string layer;
    Chain chain;
};

// Collects LINE, LWPOLYLINE and POLYLINE entities of the model space; blocks,
// paper space and polygon meshes are not part of a design line.
class DesignReader : public DL_CreationAdapter {
public:
    std::vector<Piece> pieces;
    // A line reached farther from the section than any section reaches.
    bool too_far = false;

    void addBlock(const DL_BlockData &) override
    {
        close_polyline();
        in_block_ = true;
    }
    void endBlock() override
    {
        close_polyline();
        in_block_ = false;
    }

    void addLine(const DL_LineData &data) override
    {
        polyline_open_ = false;
        if (!wanted())
            return;
        Piece piece{getAttributes().getLayer(), {}};
        add_point(piece.chain, data.x1, data.y1);
        add_point(piece.chain, data.x2, data.y2);
        pieces.push_back(std::move(piece));
    }

    void addPolyline(const DL_PolylineData &data) override
    {
        close_polyline();
        const int mesh = 16 | 64;
        polyline_open_ = wanted() && !(data.flags & mesh);
        polyline_closed_ = data.flags & 1;
        if (polyline_open_)
            pieces.push_back({getAttributes().getLayer(), {}});
    }

    void addVertex(const DL_VertexData &data) override
    {
        if (polyline_open_)
            add_point(pieces.back().chain, data.x, data.y);
    }

    void addPoint(const DL_PointData &) override { close_polyline(); }
    void endSequence() override { close_polyline(); }

    void finish() { close_polyline(); }

private:
    bool in_block_ = false;
    bool polyline_open_ = false;
    bool polyline_closed_ = false;

    bool wanted() { return !in_block_ && !getAttributes().isInPaperSpace(); }

    void add_point(Chain &chain, double u, double v)
    {
        if (std::fabs(u) <= MEASUREMENT_LIMIT && std::fabs(v) <= MEASUREMENT_LIMIT)
            chain.push_back({u, v});
        else
            too_far = true;
    }

    void close_polyline()
    {
        if (polyline_open_ && polyline_closed_ && pieces.back().chain.size() > 2)
            pieces.back().chain.push_back(pieces.back().chain.front());
        polyline_open_ = false;
    }
};

bool same_layer(const std::string &a, const char *b)
{
    return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == y;
           });
}

// A drawing of ours carries the design on its own layer, beside the ground
// and the points; any other drawing is taken whole.
std::vector<Chain> design_chains(std::vector<Piece> pieces)
{
    bool has_design = std::any_of(pieces.begin(), pieces.end(),
                                  [](const Piece &p) { return same_layer(p.layer, DESIGN_LAYER); });
    std::vector<Chain> chains;
    for (Piece &p : pieces)
        if (p.chain.size() >= 2 && (!has_design || same_layer(p.layer, DESIGN_LAYER)))
            chains.push_back(std::move(p.chain));
    return chains;
}

using EndKey = std::pair<long long, long long>;

EndKey end_key(const PlanePoint &p)
{
    return {std::llround(p.u / JOIN_TOLERANCE), std::llround(p.v / JOIN_TOLERANCE)};
}

bool same_point(const PlanePoint &a, const PlanePoint &b)
{
    return end_key(a) == end_key(b);
}

// Joins the drawing's lines into one design line running left to right,
// whatever order and direction they were drawn in: each line is turned to
// run left to right, the leftmost unused line starts, and a line whose end
// meets the current end continues it (vertical kerb faces included).
class DesignLine {
public:
    explicit DesignLine(std::vector<Chain> chains) : chains_(std::move(chains)), used_(chains_.size(), false)
    {
        for (size_t i = 0; i < chains_.size(); i++) {
            if (chains_[i].back().u < chains_[i].front().u)
                std::reverse(chains_[i].begin(), chains_[i].end());
            ends_.insert({end_key(chains_[i].front()), i});
            ends_.insert({end_key(chains_[i].back()), i});
            order_.push_back(i);
        }
        std::stable_sort(order_.begin(), order_.end(),
                         [this](size_t a, size_t b) { return chains_[a].front().u < chains_[b].front().u; });
    }

    Chain join()
    {
        Chain line;
        for (size_t start : order_) {
            for (size_t next = start; next != NONE && !used_[next]; next = meeting(line.back()))
                append(line, next);
        }
        return line;
    }

private:
    static const size_t NONE = size_t(-1);
    std::vector<Chain> chains_;
    std::vector<bool> used_;
    std::multimap<EndKey, size_t> ends_;
    std::vector<size_t> order_;

    size_t meeting(const PlanePoint &end) const
    {
        auto range = ends_.equal_range(end_key(end));
        for (auto it = range.first; it != range.second; ++it)
            if (!used_[it->second])
                return it->second;
        return NONE;
    }

    void append(Chain &line, size_t index)
    {
        used_[index] = true;
        Chain &chain = chains_[index];
        if (!line.empty() && !same_point(chain.front(), line.back()) && same_point(chain.back(), line.back()))
            std::reverse(chain.begin(), chain.end());
        bool joined = !line.empty() && same_point(chain.front(), line.back());
        line.insert(line.end(), chain.begin() + (joined ? 1 : 0), chain.end());
    }
};

// The design line of a DXF file, or why there is none.
std::string read_design(const std::string &path, Chain *line)
{
    std::string fault = dxf_fault(path, VELMO_DESIGN_LINE_MAX);
    if (!fault.empty())
        return fault;
    DesignReader reader;
    try {
        DL_Dxf dxf;
        if (!dxf.in(path, &reader))
            return "The file cannot be read.";
    } catch (...) {
        return "It is damaged: the DXF reader could not take it.";
    }
    reader.finish();
    if (reader.too_far)
        return "A line of the drawing lies farther than " + std::to_string(long(MEASUREMENT_LIMIT / 1000)) +
               " km from the section's centre; no section reaches that far.";
    *line = DesignLine(design_chains(std::move(reader.pieces))).join();
    if (line->size() < 2)
        return "The drawing holds no line of two or more points in its model space.";
    return "";
}

void free_records(Array *records)
{
    for (size_t i = 0; i < array_size(records); i++) {
        void *item = nullptr;
        if (array_get_at(records, i, &item) == CC_OK)
            free(item);
    }
    array_destroy(records);
}

Array *red_line_records(section_t *section, const Chain &line)
{
    Array *records = nullptr;
    if (array_new(&records) != CC_OK)
        return nullptr;
    for (const PlanePoint &p : line) {
        auto *record = static_cast<velmo_point_t *>(calloc(1, sizeof(velmo_point_t)));
        if (!record || array_add(records, record) != CC_OK) {
            free(record);
            free_records(records);
            return nullptr;
        }
        record->u = float(p.u);
        record->v = float(p.v);
        record->w = 0.0f;
        record->red = 255;
        section_rev_proj_point(section, record);
    }
    return records;
}

} // namespace

} // namespace velmo

using namespace velmo;

// Section points on "POINTS", the ground line on "GROUND" and the red line on
// "DESIGN", in the section's (u, v); the last argument is reserved.
int section_export_dxf(wks_t *wks, section_t *section, const char *path, int /*flags*/)
{
    if (!wks || !section || !section->state)
        return 0;
    if (!path_ok(path))
        return section_file_failure(section, path ? "The file's path is empty or too long." : "No file was given.");
    Drawing drawing = section_drawing(wks, section);
    if (drawing.points.empty() && drawing.ground.size() < 2 && drawing.design.size() < 2)
        return section_file_failure(section, "The section has no points, ground line or design line to export.");
    std::string target = path, part = target + ".part";
    // The writer does not say why it cannot open a file; a missing or
    // read-only folder is found here.
    FILE *probe = std::fopen(part.c_str(), "wb");
    if (!probe)
        return section_file_failure(section, cannot_write(target, errno));
    std::fclose(probe);
    try {
        write_drawing(drawing, part);
    } catch (...) {
    }
    int error = 0;
    if (!sound_dxf(part) || (std::rename(part.c_str(), target.c_str()) != 0 && (error = errno) != 0)) {
        std::remove(part.c_str());
        return section_file_failure(section, cannot_write(target, error));
    }
    section->state->file_message.clear();
    return 1;
}

// Replaces the red line with the design drawn in a DXF file (the "DESIGN"
// layer when it has one, else every line), and saves it in the project.  A
// file that is not a complete DXF or holds no line leaves the red line as it
// was.
int section_import_dxf(section_t *section, const char *path)
{
    if (!section || !section->state)
        return 0;
    if (!path_ok(path))
        return section_file_failure(section, path ? "The file's path is empty or too long." : "No file was given.");
    Chain line;
    std::string fault = read_design(path, &line);
    if (!fault.empty())
        return section_file_failure(section, "\"" + std::string(path) + "\" was not imported. " + fault);
    Array *fresh = red_line_records(section, line);
    if (!fresh)
        return section_file_failure(section, "Out of memory for the design line.");
    section->state->file_message.clear();
    {
        // The old records stay readable: the GUI may be drawing them now.
        std::lock_guard<std::mutex> guard(section->state->lock);
        Array *old = section->red_line;
        __atomic_store_n(&section->red_line, fresh, __ATOMIC_RELEASE);
        section_retire_array(section, old);
    }
    section_save_data(section);
    return 1;
}
