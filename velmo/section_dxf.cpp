// A section drawn in its own plane as a DXF file, and a design line read
// back from one into the section's red line.
#include "velmo.h"

#include "section_state.h"
#include "workspace_state.h"

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <map>
#include <memory>
#include <mutex>
#include <streambuf>
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

// A count as every reader reads it alike: digits alone, no sign, no
// trailing characters.
bool plain_count(const std::string &text, long long *value)
{
    if (text.empty() || text.size() > 18)
        return false;
    *value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        *value = *value * 10 + (c - '0');
    }
    return true;
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

// Real DXF lines are short; a file without line ends must not be read
// whole into one line.
const size_t kLongestLine = 65536;
// The reader keeps a line in a buffer of 1,024 bytes and takes what does not
// fit as the next line; every line it is handed fits with room to spare.
const size_t kReaderLine = 1000;

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

// A number with a decimal point whatever the locale, as the reader reads it.
bool finite_number(const std::string &text, double *value)
{
    const char *first = text.data(), *last = first + text.size();
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        first++;
    auto [end, error] = std::from_chars(first, last, *value);
    return error == std::errc() && end == last && std::isfinite(*value);
}

// A coordinate in the shortest form that reads back as the same double.
std::string plain_value(long long code, const std::string &value)
{
    double number = 0;
    char text[32];
    if (!coordinate_code(code) || !finite_number(value, &number))
        return value;
    auto [end, error] = std::to_chars(text, text + sizeof text, number);
    return error == std::errc() ? std::string(text, end) : value;
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

// The entities a design line is drawn with, and the marks around them.  The
// reader is handed these alone, so what it would keep of any other entity (a
// hatch's edges, a spline's knots) costs no memory.
bool design_entity(const std::string &name)
{
    static const char *const names[] = {"SECTION", "ENDSEC", "BLOCK",  "ENDBLK", "LINE", "LWPOLYLINE",
                                        "POLYLINE", "VERTEX", "SEQEND", "POINT",  "EOF"};
    return std::any_of(std::begin(names), std::end(names), [&](const char *n) { return name == n; });
}

std::string at_line(long long number)
{
    return "line " + std::to_string(number);
}

// Text DXF is a list of line pairs, a group code and its value, opening with
// a code (0 before SECTION, or 999 before a comment) and closed by 0 / EOF.
// The file is read pair by pair and each pair is checked before anything
// uses it; the pairs a design line is read from are handed on to the DXF
// reader as they pass, in a plain form that it reads as they were checked.
// The reading stops at the end marker, at the first line that is no part of
// a DXF pair, and as soon as the drawing has more line vertices than
// most_vertices.  A count no file of its size could hold (the reader would
// allocate memory for it) is a fault.
class DxfPairs {
public:
    DxfPairs(std::istream &in, long long size, size_t most_vertices)
        : in_(in), largest_(std::max<long long>(65535, size / 2)), most_vertices_(most_vertices)
    {
    }

    // The next pair for the reader, as its two lines; false when there is
    // none (the end marker was handed on, or the file is at fault).
    bool next(std::string *text)
    {
        while (damage_.empty() && read_pair(text))
            if (!text->empty())
                return true;
        return false;
    }

    // Why the file cannot be taken as a text DXF file, or "" when it can;
    // reads on as far as that takes.
    std::string verdict()
    {
        std::string unused;
        while (read_pair(&unused)) {
        }
        return fault_.empty() ? damage_ : fault_;
    }

    void stop(const std::string &why)
    {
        if (fault_.empty())
            fault_ = why;
        ended_ = true;
    }

private:
    std::istream &in_;
    const long long largest_;
    const size_t most_vertices_;
    std::string code_line_, value_line_, entity_, damage_, fault_;
    size_t vertices_ = 0, claimed_ = 0;
    long long line_ = 1;
    bool ended_ = false;
    bool section_opened_ = false;

    // Reads and checks one pair, and sets *text to what the reader is
    // handed of it (nothing when it is not handed on); false when the
    // reading has ended.
    bool read_pair(std::string *text)
    {
        text->clear();
        long long code = -1;
        if (ended_ || !read_code(&code))
            return false;
        const std::string value = trimmed(value_line_);
        const long long value_at = line_ + 1;
        line_ += 2;
        const bool handed = handed_on(code, value);
        section_opened_ = code == 0 && value == "SECTION";
        if (code == 0)
            entity_ = value;
        // A damaged value is told only once the file is known to be whole:
        // in a file cut short it is just the cut.
        if (damage_.empty())
            damage_ = value_fault(code, value, value_at, handed);
        if (code == 0 && value == "EOF")
            ended_ = true;
        // The reader clears room for every vertex a polyline claims.
        long long claim = 0;
        if (handed && damage_.empty() && sizing_count(entity_, code) && plain_count(value, &claim))
            claimed_ += std::min(size_t(claim), SIZE_MAX - claimed_);
        vertices_ += vertices_of(entity_, code, value);
        if (vertices_ > most_vertices_ || claimed_ > most_vertices_) {
            stop("The drawing " + std::string(vertices_ > most_vertices_ ? "has" : "claims") + " more than " +
                 std::to_string(most_vertices_) + " line vertices; a design line may have at most that many.");
            return false;
        }
        if (handed && damage_.empty())
            *text = std::to_string(code) + "\n" + plain_value(code, value) + "\n";
        return true;
    }

    // The pair's two lines, and its group code; false when they are none.
    bool read_code(long long *code)
    {
        const bool first = line_ == 1;
        value_line_.clear();
        if (!bounded_line(in_, &code_line_) || !bounded_line(in_, &value_line_)) {
            stop(unread_fault());
            return false;
        }
        if (first && code_line_.compare(0, 3, "\xEF\xBB\xBF") == 0)
            code_line_.erase(0, 3);
        if (holds_nul(code_line_, line_))
            return false;
        if (!integer(trimmed(code_line_), code) || *code < 0 || *code > 1071 ||
            (first && *code != 0 && *code != 999)) {
            stop("It is not a DXF text file: " + at_line(line_) + " is not a group code.");
            return false;
        }
        return !holds_nul(value_line_, line_ + 1);
    }

    // A NUL ends a line for the reader and not for this check.
    bool holds_nul(const std::string &text, long long line)
    {
        if (text.find('\0') == std::string::npos)
            return false;
        stop("It is damaged: " + at_line(line) + " holds a NUL byte.");
        return true;
    }

    // Whether the pair goes to the reader: the section names, and the pairs
    // of design entities; comments (999), settings (9) and extended data
    // (1000 and up) never do.
    bool handed_on(long long code, const std::string &value) const
    {
        if (code == 0)
            return design_entity(value);
        if (code == 9 || code == 999 || code >= 1000)
            return false;
        if (entity_ == "SECTION")
            return section_opened_ && code == 2;
        return design_entity(entity_) && entity_ != "ENDSEC" && entity_ != "EOF";
    }

    // What is wrong with the value of a pair on the given line, or "".
    std::string value_fault(long long code, const std::string &value, long long line, bool handed) const
    {
        long long number = 0;
        double coordinate = 0;
        if (sizing_count(entity_, code)) {
            if (!plain_count(value, &number))
                return "It is damaged: the count \"" + value.substr(0, 40) + "\" on " + at_line(line) +
                       " is not a whole number.";
            if (number > largest_)
                return "It is damaged: " + at_line(line) + " claims " + value +
                       " items, more than a file of its size holds.";
        }
        if (coordinate_code(code) && !finite_number(value, &coordinate))
            return "It is damaged: the coordinate \"" + value.substr(0, 40) + "\" on " + at_line(line) +
                   " is not a finite number.";
        if (handed && value.size() > kReaderLine)
            return "It is damaged: " + at_line(line) + " is longer than " + std::to_string(kReaderLine) +
                   " bytes, more than the DXF reader takes.";
        return "";
    }

    // Why the file ran out before its end marker.
    std::string unread_fault() const
    {
        if (code_line_.size() >= kLongestLine || value_line_.size() >= kLongestLine)
            return "It is not a DXF text file: " +
                   at_line(code_line_.size() >= kLongestLine ? line_ : line_ + 1) + " is longer than " +
                   std::to_string(kLongestLine) + " bytes.";
        return "It is cut short: it ends at " + at_line(line_) + " without the DXF end marker (0, EOF).";
    }
};

// The pairs handed on, as the stream the DXF reader reads.
class CheckedText : public std::streambuf {
public:
    explicit CheckedText(DxfPairs &pairs) : pairs_(pairs) {}

protected:
    int_type underflow() override
    {
        try {
            if (!pairs_.next(&text_))
                return traits_type::eof();
        } catch (...) {
            // The reader reads on after a stream error; the end stops it.
            pairs_.stop("There is not enough memory to read it.");
            return traits_type::eof();
        }
        setg(text_.data(), text_.data(), text_.data() + text_.size());
        return traits_type::to_int_type(text_[0]);
    }

private:
    DxfPairs &pairs_;
    std::string text_;
};

// Why the file cannot be opened for reading, or "".
std::string opening_fault(const std::string &path, std::ifstream *in, long long *size)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return "The file does not exist.";
    if (!std::filesystem::is_regular_file(path, ec))
        return "It is not a regular file.";
    in->open(path, std::ios::binary | std::ios::ate);
    if (!*in)
        return std::string("The file cannot be read: ") + std::strerror(errno) + ".";
    *size = static_cast<long long>(in->tellg());
    if (*size <= 0)
        return "The file is empty.";
    in->seekg(0);
    return "";
}

// Whether a file written here reads back as a whole text DXF file.
bool sound_dxf(const std::string &path)
{
    std::ifstream in;
    long long size = 0;
    if (!opening_fault(path, &in, &size).empty())
        return false;
    return DxfPairs(in, size, SIZE_MAX).verdict().empty();
}

// ---- import -----------------------------------------------------------------

bool same_layer(const std::string &a, const char *b)
{
    return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == y;
           });
}

// A line of the drawing, and whether it was drawn on the design layer.
struct Piece {
    bool design;
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
        Piece piece{on_design_layer(), {}};
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
            pieces.push_back({on_design_layer(), {}});
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
    bool on_design_layer() { return same_layer(getAttributes().getLayer(), DESIGN_LAYER); }

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

// A drawing of ours carries the design on its own layer, beside the ground
// and the points; any other drawing is taken whole.
std::vector<Chain> design_chains(std::vector<Piece> pieces)
{
    bool has_design = std::any_of(pieces.begin(), pieces.end(),
                                  [](const Piece &p) { return p.design; });
    std::vector<Chain> chains;
    for (Piece &p : pieces)
        if (p.chain.size() >= 2 && (!has_design || p.design))
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
    std::ifstream in;
    long long size = 0;
    std::string fault = opening_fault(path, &in, &size);
    if (!fault.empty())
        return fault;
    DxfPairs pairs(in, size, VELMO_DESIGN_LINE_MAX);
    DesignReader reader;
    bool taken = true;
    try {
        CheckedText text(pairs);
        std::istream stream(&text);
        DL_Dxf dxf;
        dxf.in(stream, &reader);
    } catch (...) {
        taken = false;
    }
    fault = pairs.verdict();
    if (!fault.empty())
        return fault;
    if (!taken)
        return "It is damaged: the DXF reader could not take it.";
    reader.finish();
    if (reader.too_far)
        return "A line of the drawing lies farther than " + std::to_string(long(MEASUREMENT_LIMIT / 1000)) +
               " km from the section's centre; no section reaches that far.";
    *line = DesignLine(design_chains(std::move(reader.pieces))).join();
    if (line->size() < 2)
        return "The drawing holds no line of two or more points in its model space.";
    return "";
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
            free_point_records(records);
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
