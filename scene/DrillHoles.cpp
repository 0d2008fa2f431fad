#include "scene/DrillHoles.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <unordered_map>
#include <utility>

#include "scene/DelimitedText.h"
#include "scene/NumberParsing.h"

namespace talan {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Coordinates and depths beyond this are taken for garbage: a float keeps no useful
// precision there, and a hole that long would only exhaust memory.
constexpr double kLargestMagnitude = 1e9;
// Curved parts of a hole are drawn as pieces that turn by at most this much.
constexpr double kLargestTurn = 2.0 * kDegree;
// ... but none is shorter than this, so that a survey row every few centimetres with
// wild turns cannot make pieces out of all proportion to the file.
constexpr double kShortestArcPiece = 0.2;
constexpr std::array<float, 4> kTraceColour{0.7f, 0.7f, 0.7f, 1.0f};
constexpr std::array<float, 4> kIntervalColour{1.0f, 0.6f, 0.1f, 1.0f};

// ---------------------------------------------------------------------------------
// Header names

// A header name reduced for comparing: upper case, without spaces, underscores,
// hyphens and dots, and without a unit in brackets ("From (m)" is "FROM").
std::string NormalisedName(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == '(' || c == '[') break;
        if (c == ' ' || c == '_' || c == '-' || c == '.' || c == '\t') continue;
        out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return out;
}

// The first column whose name is one of `names`, or -1.
int FindColumn(const std::vector<std::string>& header, std::initializer_list<std::string_view> names) {
    for (size_t i = 0; i < header.size(); ++i) {
        for (std::string_view name : names) {
            if (header[i] == name) return static_cast<int>(i);
        }
    }
    return -1;
}

// The columns a table is recognised by; -1 where the header lacks one.
struct TableColumns {
    int hole = -1;
    int number[4] = {-1, -1, -1, -1};  // in the order of DrillTable::rowNumbers
};

bool RecogniseTable(const std::vector<std::string>& header, DrillTableKind& kind, TableColumns& columns) {
    columns.hole = FindColumn(header, {"HOLEID", "BHID", "DHID", "HOLE", "HOLENAME"});
    if (columns.hole < 0) return false;
    const int from = FindColumn(header, {"FROM", "DEPTHFROM", "FROMDEPTH", "MFROM", "FROMM"});
    const int to = FindColumn(header, {"TO", "DEPTHTO", "TODEPTH", "MTO", "TOM"});
    if (from >= 0 && to >= 0) {
        kind = DrillTableKind::Intervals;
        columns.number[0] = from;
        columns.number[1] = to;
        return true;
    }
    const int azimuth = FindColumn(header, {"AZIMUTH", "AZI", "AZ", "BEARING"});
    const int dip = FindColumn(header, {"DIP"});
    const int depth = FindColumn(header, {"DEPTH", "AT", "MD", "DISTANCE", "SURVEYDEPTH", "MEASUREDDEPTH"});
    if (azimuth >= 0 && dip >= 0 && depth >= 0) {
        kind = DrillTableKind::Survey;
        columns.number[0] = depth;
        columns.number[1] = azimuth;
        columns.number[2] = dip;
        return true;
    }
    const int east = FindColumn(header, {"X", "EAST", "EASTING", "XCOLLAR"});
    const int north = FindColumn(header, {"Y", "NORTH", "NORTHING", "YCOLLAR"});
    const int elevation = FindColumn(header, {"Z", "RL", "ELEV", "ELEVATION", "ZCOLLAR"});
    if (east >= 0 && north >= 0 && elevation >= 0) {
        kind = DrillTableKind::Collar;
        columns.number[0] = east;
        columns.number[1] = north;
        columns.number[2] = elevation;
        columns.number[3] = FindColumn(header, {"DEPTH", "TD", "MAXDEPTH", "TOTALDEPTH", "LENGTH", "EOH", "ENDDEPTH"});
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------
// Rows

// A coordinate, depth or angle: a finite number of sensible size.
bool ReadMeasure(std::string_view field, bool decimalComma, double& value) {
    return ParseNumberField(field, decimalComma, value) && std::fabs(value) <= kLargestMagnitude;
}

// The value columns of an interval table while it is read. A column starts as numbers
// and becomes text at its first present value that is no number; the rows before are
// then read again for that column's texts.
struct ValueReader {
    int field = -1;
    ValueColumn* column = nullptr;
    std::unordered_map<std::string, int32_t> categoryIndex;

    int32_t Category(std::string_view text) {
        const auto [it, added] =
            categoryIndex.try_emplace(std::string(text), static_cast<int32_t>(column->categoryNames.size()));
        if (added) column->categoryNames.emplace_back(text);
        return it->second;
    }
    // Adds one row's value. Returns true, adding nothing, where the column turns text
    // here: the caller then reads all its rows again with Category.
    bool Add(std::string_view text, bool decimalComma) {
        if (IsMissingValue(text)) {
            if (column->text)
                column->categories.push_back(-1);
            else
                column->numbers.push_back(std::numeric_limits<float>::quiet_NaN());
            return false;
        }
        if (column->text) {
            column->categories.push_back(Category(text));
            return false;
        }
        double number = 0.0;
        if (ParseNumberField(text, decimalComma, number)) {
            // Numbers a float cannot hold, and "nan" or "inf", count as missing.
            const float narrowed = NarrowToFloat(number);
            column->numbers.push_back(std::isfinite(narrowed) ? narrowed : std::numeric_limits<float>::quiet_NaN());
            return false;
        }
        column->text = true;
        column->numbers.clear();
        return true;
    }
};

}  // namespace

ReadProblem ReadDrillTable(std::string_view text, const std::string& file, DrillTable& table,
                           std::vector<SkippedRow>& skipped) {
    std::string converted;
    const std::string_view utf8 = DelimitedTextAsUtf8(text, converted);

    // The header is the first line that is not blank.
    size_t headerStart = 0;
    while (headerStart < utf8.size() &&
           (utf8[headerStart] == '\n' || utf8[headerStart] == '\r' || utf8[headerStart] == ' ')) {
        ++headerStart;
    }
    const size_t headerEnd = std::min(utf8.find('\n', headerStart), utf8.size());
    DelimitedCursor cursor{utf8, DetectSeparator(utf8.substr(headerStart, headerEnd - headerStart)), 0, 1};
    const bool decimalComma = cursor.separator == ';';

    DelimitedRecord record;
    if (!NextRecord(cursor, record)) return ReadProblem::NotATable;
    std::vector<std::string> header;
    header.reserve(record.fields.size());
    for (std::string_view field : record.fields) header.push_back(NormalisedName(field));
    DrillTableKind kind = DrillTableKind::Collar;
    TableColumns columns;
    if (!RecogniseTable(header, kind, columns)) return ReadProblem::NotATable;

    DrillTable out;
    out.kind = kind;
    out.file = file;
    std::vector<ValueReader> values;
    if (kind == DrillTableKind::Intervals) {
        for (size_t i = 0; i < header.size(); ++i) {
            const int column = static_cast<int>(i);
            if (column == columns.hole || column == columns.number[0] || column == columns.number[1]) continue;
            ValueColumn value;
            value.name = std::string(record.fields[i]);
            out.values.push_back(std::move(value));
            values.push_back(ValueReader{column, nullptr, {}});
        }
        for (size_t i = 0; i < values.size(); ++i) values[i].column = &out.values[i];
    }

    std::unordered_map<std::string, int32_t> holeIndex;
    int32_t lastHole = -1;
    std::vector<size_t> rowStart;  // where each kept row starts, to read a column again as text
    std::vector<size_t> turned;    // value columns that turned text in the current row
    const size_t fieldCount = header.size();
    const int required = kind == DrillTableKind::Collar ? 3 : kind == DrillTableKind::Survey ? 3 : 2;
    const auto skip = [&](RowFault fault) { skipped.push_back(SkippedRow{file, record.line, fault}); };

    for (size_t start = cursor.position; NextRecord(cursor, record); start = cursor.position) {
        const std::vector<std::string_view>& f = record.fields;
        if (f.size() < fieldCount || f[static_cast<size_t>(columns.hole)].empty()) {
            skip(RowFault::MissingField);
            continue;
        }
        std::array<double, 4> numbers{0.0, 0.0, 0.0, 0.0};
        bool numeric = true;
        for (int k = 0; k < required; ++k)
            numeric = numeric && ReadMeasure(f[static_cast<size_t>(columns.number[k])], decimalComma, numbers[k]);
        if (kind == DrillTableKind::Collar) {
            numbers[3] = kNaN;
            if (columns.number[3] >= 0 && !IsMissingValue(f[static_cast<size_t>(columns.number[3])])) {
                numeric = numeric && ReadMeasure(f[static_cast<size_t>(columns.number[3])], decimalComma, numbers[3]) &&
                          numbers[3] >= 0.0;
            }
        } else if (kind == DrillTableKind::Survey) {
            // A depth above the collar or a dip beyond the vertical is no survey.
            numeric = numeric && numbers[0] >= 0.0 && numbers[2] >= -90.0 && numbers[2] <= 90.0;
        } else {
            numeric = numeric && numbers[0] >= 0.0;
        }
        if (!numeric) {
            skip(RowFault::NotANumber);
            continue;
        }
        if (kind == DrillTableKind::Intervals && !(numbers[0] < numbers[1])) {
            skip(RowFault::FromNotBelowTo);
            continue;
        }

        const std::string_view hole = f[static_cast<size_t>(columns.hole)];
        if (lastHole < 0 || out.holeNames[static_cast<size_t>(lastHole)] != hole) {
            const auto [it, added] =
                holeIndex.try_emplace(std::string(hole), static_cast<int32_t>(out.holeNames.size()));
            if (added) out.holeNames.emplace_back(hole);
            lastHole = it->second;
        }
        out.rowHole.push_back(lastHole);
        out.rowLine.push_back(record.line);
        out.rowNumbers.push_back(numbers);
        if (values.empty()) continue;
        rowStart.push_back(start);
        turned.clear();
        for (size_t v = 0; v < values.size(); ++v) {
            if (values[v].Add(f[static_cast<size_t>(values[v].field)], decimalComma)) turned.push_back(v);
        }
        if (turned.empty()) continue;
        // Columns that turned text here: read their rows so far again as texts, so that
        // the categories keep their order of first appearance (once for all of them).
        DelimitedCursor again{utf8, cursor.separator, 0, 0};
        DelimitedRecord earlier;
        for (size_t row = 0; row < rowStart.size(); ++row) {
            again.position = rowStart[row];
            NextRecord(again, earlier);
            for (size_t v : turned) {
                const std::string_view field = earlier.fields[static_cast<size_t>(values[v].field)];
                values[v].column->categories.push_back(IsMissingValue(field) ? -1 : values[v].Category(field));
            }
        }
    }
    table = std::move(out);
    return ReadProblem::None;
}

// ---------------------------------------------------------------------------------
// Minimum curvature

std::array<double, 3> SurveyDirection(double azimuth, double dip) {
    const double a = azimuth * kDegree;
    const double d = dip * kDegree;
    // A vertical hole stays exactly on its collar's east and north.
    const double horizontal = std::fabs(dip) == 90.0 ? 0.0 : std::cos(d);
    return {std::sin(a) * horizontal, std::cos(a) * horizontal, std::sin(d)};
}

namespace {

using Vec3 = std::array<double, 3>;

// The angle between two unit directions, from both the sine and the cosine so that it
// keeps its precision for tiny and for nearly opposite turns.
double Dogleg(const Vec3& t1, const Vec3& t2) {
    const double cx = t1[1] * t2[2] - t1[2] * t2[1];
    const double cy = t1[2] * t2[0] - t1[0] * t2[2];
    const double cz = t1[0] * t2[1] - t1[1] * t2[0];
    const double dot = std::clamp(t1[0] * t2[0] + t1[1] * t2[1] + t1[2] * t2[2], -1.0, 1.0);
    return std::atan2(std::sqrt(cx * cx + cy * cy + cz * cz), dot);
}

// The move along the circular arc from direction t1 to t2 (dogleg b) over the fraction
// f of a step of length L: the integral of the slerp of the directions,
//   L / (b sin b) · ((cos((1−f)b) − cos b) t1 + (1 − cos fb) t2),
// written with products of sines so that small turns lose no digits. At f = 1 it is
// the minimum-curvature step L/2 (t1 + t2) RF with RF = (2/b) tan(b/2). For a turn too
// small to matter (below 1e-7 rad, an error of order b² ≈ 1e-14) the limit b → 0 is
// used; so it is for opposite directions, where the arc has no plane.
Vec3 ArcMove(const Vec3& t1, const Vec3& t2, double b, double length, double f) {
    double a1 = 0.0, a2 = 0.0;
    const double sinB = std::sin(b);
    if (b < 1e-7 || sinB < 1e-9) {
        a1 = f - 0.5 * f * f;
        a2 = 0.5 * f * f;
    } else {
        const double half = std::sin(0.5 * f * b);
        a1 = 2.0 * std::sin(0.5 * (2.0 - f) * b) * half / (b * sinB);
        a2 = 2.0 * half * half / (b * sinB);
    }
    return {length * (a1 * t1[0] + a2 * t2[0]), length * (a1 * t1[1] + a2 * t2[1]), length * (a1 * t1[2] + a2 * t2[2])};
}

}  // namespace

std::vector<std::array<double, 3>> HoleOffsets(const std::vector<SurveyStation>& stations,
                                               const std::vector<double>& depths) {
    std::vector<Vec3> out(depths.size());
    if (stations.empty()) {
        for (size_t k = 0; k < depths.size(); ++k) out[k] = {0.0, 0.0, -depths[k]};
        return out;
    }
    const size_t n = stations.size();
    std::vector<Vec3> direction(n), position(n);
    std::vector<double> dogleg(n, 0.0);
    for (size_t i = 0; i < n; ++i) direction[i] = SurveyDirection(stations[i].azimuth, stations[i].dip);
    for (size_t c = 0; c < 3; ++c) position[0][c] = direction[0][c] * stations[0].depth;
    for (size_t i = 0; i + 1 < n; ++i) {
        dogleg[i] = Dogleg(direction[i], direction[i + 1]);
        const Vec3 move =
            ArcMove(direction[i], direction[i + 1], dogleg[i], stations[i + 1].depth - stations[i].depth, 1.0);
        for (size_t c = 0; c < 3; ++c) position[i + 1][c] = position[i][c] + move[c];
    }
    size_t i = 0;  // the station at or above the depth; depths mostly come in order
    for (size_t k = 0; k < depths.size(); ++k) {
        const double d = depths[k];
        if (d <= stations[0].depth) {
            for (size_t c = 0; c < 3; ++c) out[k][c] = direction[0][c] * d;
            continue;
        }
        if (d < stations[i].depth) i = 0;
        while (i + 1 < n && stations[i + 1].depth <= d) ++i;
        if (i + 1 == n) {
            for (size_t c = 0; c < 3; ++c) out[k][c] = position[i][c] + direction[i][c] * (d - stations[i].depth);
            continue;
        }
        const double length = stations[i + 1].depth - stations[i].depth;
        const Vec3 move = ArcMove(direction[i], direction[i + 1], dogleg[i], length, (d - stations[i].depth) / length);
        for (size_t c = 0; c < 3; ++c) out[k][c] = position[i][c] + move[c];
    }
    return out;
}

// ---------------------------------------------------------------------------------
// Objects

namespace {

struct Station {
    SurveyStation at;
    const DrillTable* table;
    size_t row;
};

struct Interval {
    double from, to;
    int32_t table;  // index into the tables
    int32_t row;
};

// A part of a hole drawn in one colour: bare trace (interval -1) or one interval, from
// depth `from` to `to`, drawn as `pieces` segments between depths[first ... first + pieces].
struct Span {
    double from, to;
    int32_t interval;
    size_t first = 0, pieces = 0;
};

// A value column of the whole set of interval tables.
struct SetColumn {
    std::string name;
    bool text = false;
    std::vector<std::string> categoryNames;
    std::unordered_map<std::string, int32_t> categoryIndex;

    int32_t Category(const std::string& name) {
        const auto [it, added] = categoryIndex.try_emplace(name, static_cast<int32_t>(categoryNames.size()));
        if (added) categoryNames.push_back(name);
        return it->second;
    }
};

// How one interval table's columns map onto the set's: for each set column, the
// table's column or -1, and for text columns each row's category in the set.
struct TableColumnMap {
    std::vector<int32_t> tableColumn;
    std::vector<std::vector<int32_t>> rowCategory;
};

std::string NumberAsText(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

SceneVertex MakeVertex(const Vec3& p, const std::array<float, 4>& colour) {
    SceneVertex v;
    v.position[0] = NarrowToFloat(p[0]);
    v.position[1] = NarrowToFloat(p[2]);
    v.position[2] = NarrowToFloat(p[1]);
    v.normal[0] = v.normal[1] = v.normal[2] = 0.0f;
    for (int c = 0; c < 4; ++c) v.colour[c] = colour[static_cast<size_t>(c)];
    return v;
}

}  // namespace

void AddDrillHoles(SceneModel& scene, const std::vector<DrillTable>& tables, SceneLoadObserver& observer,
                   std::vector<SkippedRow>& skipped) {
    observer.ProgressShown("Drill holes");

    // The holes: one per collar row, the first row of a hole id winning.
    struct Collar {
        const DrillTable* table;
        size_t row;
    };
    std::vector<Collar> collars;
    std::unordered_map<std::string, int32_t> holeOf;
    for (const DrillTable& table : tables) {
        if (table.kind != DrillTableKind::Collar) continue;
        for (size_t row = 0; row < table.rowHole.size(); ++row) {
            const std::string& name = table.holeNames[static_cast<size_t>(table.rowHole[row])];
            if (holeOf.try_emplace(name, static_cast<int32_t>(collars.size())).second) {
                collars.push_back({&table, row});
            } else {
                skipped.push_back({table.file, table.rowLine[row], RowFault::DuplicateCollar});
            }
        }
    }
    const auto holesOfTable = [&holeOf](const DrillTable& table) {
        std::vector<int32_t> hole(table.holeNames.size(), -1);
        for (size_t i = 0; i < hole.size(); ++i) {
            const auto it = holeOf.find(table.holeNames[i]);
            if (it != holeOf.end()) hole[i] = it->second;
        }
        return hole;
    };

    // Survey and interval rows, placed in their holes.
    std::vector<std::vector<Station>> stations(collars.size());
    std::vector<std::vector<Interval>> intervals(collars.size());
    std::vector<SetColumn> setColumns;
    std::vector<TableColumnMap> columnMaps(tables.size());
    for (size_t t = 0; t < tables.size(); ++t) {
        const DrillTable& table = tables[t];
        if (table.kind == DrillTableKind::Collar) continue;
        const std::vector<int32_t> hole = holesOfTable(table);
        for (size_t row = 0; row < table.rowHole.size(); ++row) {
            const int32_t h = hole[static_cast<size_t>(table.rowHole[row])];
            const auto& n = table.rowNumbers[row];
            if (h < 0) {
                skipped.push_back({table.file, table.rowLine[row], RowFault::HoleWithoutCollar});
            } else if (table.kind == DrillTableKind::Survey) {
                stations[static_cast<size_t>(h)].push_back({{n[0], n[1], n[2]}, &table, row});
            } else {
                intervals[static_cast<size_t>(h)].push_back(
                    {n[0], n[1], static_cast<int32_t>(t), static_cast<int32_t>(row)});
            }
        }
        if (table.kind != DrillTableKind::Intervals) continue;
        for (const ValueColumn& column : table.values) {
            const auto same = std::find_if(setColumns.begin(), setColumns.end(),
                                           [&column](const SetColumn& c) { return c.name == column.name; });
            if (same == setColumns.end())
                setColumns.push_back({column.name, column.text, {}, {}});
            else
                same->text = same->text || column.text;
        }
    }

    // Each table's columns in the set; the categories in order of first appearance over
    // the tables in order. A column that is text in one table and numbers in another is
    // text, its numbers written as the shortest text that reads back to them.
    for (size_t t = 0; t < tables.size(); ++t) {
        const DrillTable& table = tables[t];
        if (table.kind != DrillTableKind::Intervals) continue;
        TableColumnMap& map = columnMaps[t];
        map.tableColumn.assign(setColumns.size(), -1);
        map.rowCategory.resize(setColumns.size());
        for (size_t s = 0; s < setColumns.size(); ++s) {
            SetColumn& set = setColumns[s];
            for (size_t c = 0; c < table.values.size(); ++c) {
                if (table.values[c].name == set.name) {
                    map.tableColumn[s] = static_cast<int32_t>(c);
                    break;
                }
            }
            if (map.tableColumn[s] < 0 || !set.text) continue;
            const ValueColumn& column = table.values[static_cast<size_t>(map.tableColumn[s])];
            std::vector<int32_t>& rows = map.rowCategory[s];
            rows.resize(column.Size());
            if (column.text) {
                std::vector<int32_t> remap(column.categoryNames.size());
                for (size_t k = 0; k < remap.size(); ++k) remap[k] = set.Category(column.categoryNames[k]);
                for (size_t r = 0; r < rows.size(); ++r) {
                    const int32_t local = column.categories[r];
                    rows[r] = local < 0 ? -1 : remap[static_cast<size_t>(local)];
                }
            } else {
                for (size_t r = 0; r < rows.size(); ++r) {
                    const float number = column.numbers[r];
                    rows[r] = std::isnan(number) ? -1 : set.Category(NumberAsText(number));
                }
            }
        }
    }

    int lastPercent = 0;
    std::vector<SurveyStation> survey;
    std::vector<double> knots, depths;
    std::vector<Span> spans;
    for (size_t h = 0; h < collars.size(); ++h) {
        const int percent = static_cast<int>((h + 1) * 100 / collars.size());
        if (percent != lastPercent) {
            observer.ProgressChanged(percent);
            lastPercent = percent;
        }
        const DrillTable& collarTable = *collars[h].table;
        const auto& collar = collarTable.rowNumbers[collars[h].row];

        // Survey rows by depth; of rows at the same depth the first in the files counts.
        std::vector<Station>& rows = stations[h];
        std::stable_sort(rows.begin(), rows.end(),
                         [](const Station& a, const Station& b) { return a.at.depth < b.at.depth; });
        survey.clear();
        for (const Station& s : rows) {
            if (survey.empty() || s.at.depth > survey.back().depth) survey.push_back(s.at);
        }

        // Intervals by FROM; one that begins above the end of the one kept before is skipped.
        std::vector<Interval>& holeIntervals = intervals[h];
        std::stable_sort(holeIntervals.begin(), holeIntervals.end(),
                         [](const Interval& a, const Interval& b) { return a.from < b.from; });
        size_t kept = 0;
        for (const Interval& interval : holeIntervals) {
            if (kept > 0 && interval.from < holeIntervals[kept - 1].to) {
                const DrillTable& table = tables[static_cast<size_t>(interval.table)];
                skipped.push_back(
                    {table.file, table.rowLine[static_cast<size_t>(interval.row)], RowFault::OverlappingInterval});
                continue;
            }
            holeIntervals[kept++] = interval;
        }
        holeIntervals.resize(kept);

        // The hole reaches as deep as its collar, survey or intervals say, whichever is
        // deepest: an interval below the collar's total depth lengthens the hole.
        double length = std::isnan(collar[3]) ? 0.0 : collar[3];
        if (!survey.empty()) length = std::max(length, survey.back().depth);
        if (!holeIntervals.empty()) length = std::max(length, holeIntervals.back().to);
        if (!(length > 0.0)) continue;

        // Where pieces must end: at each survey station, and along each arc so often
        // that no piece turns more than kLargestTurn (nor is shorter than kShortestArcPiece).
        knots.clear();
        for (size_t i = 0; i < survey.size(); ++i) {
            if (i + 1 < survey.size()) {
                const double turn = Dogleg(SurveyDirection(survey[i].azimuth, survey[i].dip),
                                           SurveyDirection(survey[i + 1].azimuth, survey[i + 1].dip));
                // (less a hair, so that a turn of exactly 60 degrees is 30 pieces, not 31)
                const double step = survey[i + 1].depth - survey[i].depth;
                const double parts = std::max(
                    1.0, std::min(std::ceil(turn / kLargestTurn - 1e-9), std::floor(step / kShortestArcPiece)));
                for (double k = 0; k < parts; ++k) knots.push_back(survey[i].depth + step * (k / parts));
            } else {
                knots.push_back(survey[i].depth);
            }
        }

        // Bare trace and intervals in depth order, then the depths of their pieces.
        spans.clear();
        double reached = 0.0;
        for (size_t i = 0; i < holeIntervals.size(); ++i) {
            if (holeIntervals[i].from > reached) spans.push_back({reached, holeIntervals[i].from, -1});
            spans.push_back({holeIntervals[i].from, holeIntervals[i].to, static_cast<int32_t>(i)});
            reached = holeIntervals[i].to;
        }
        if (reached < length) spans.push_back({reached, length, -1});
        depths.clear();
        size_t knot = 0;
        int64_t tracePieces = 0, intervalPieces = 0;
        for (Span& span : spans) {
            span.first = depths.size();
            depths.push_back(span.from);
            while (knot < knots.size() && knots[knot] <= span.from) ++knot;
            for (size_t k = knot; k < knots.size() && knots[k] < span.to; ++k) depths.push_back(knots[k]);
            depths.push_back(span.to);
            span.pieces = depths.size() - span.first - 1;
            (span.interval < 0 ? tracePieces : intervalPieces) += static_cast<int64_t>(span.pieces);
        }
        const int64_t elements = tracePieces + intervalPieces;
        if (int64_t{VerticesOfObjects(scene)} + 2 * elements > std::numeric_limits<int32_t>::max()) break;
        if (!ReserveObjectStorage(scene, 2, elements)) break;
        const std::vector<Vec3> offsets = HoleOffsets(survey, depths);

        scene.kindCount[static_cast<int>(ObjectKind::SONKDX)] += 1;
        BeginObject(scene, ObjectKind::SONKDX, static_cast<int32_t>(elements), 2);
        scene.objectFormats.back() = SourceFormat::DrillHoleTables;
        AnnounceObjectName(scene, observer, ObjectKind::SONKDX,
                           collarTable.holeNames[static_cast<size_t>(collarTable.rowHole[collars[h].row])]);

        SceneVertex* out = &scene.sceneVertices[static_cast<size_t>(scene.firstStored.back())];
        const auto writePieces = [&](const Span& span, const std::array<float, 4>& colour) {
            for (size_t k = 0; k < span.pieces; ++k) {
                for (size_t end = 0; end < 2; ++end) {
                    const Vec3& o = offsets[span.first + k + end];
                    const Vec3 p{collar[0] + o[0], collar[1] + o[1], collar[2] + o[2]};
                    *out = MakeVertex(p, colour);
                    GrowBounds(scene, out->position[0], out->position[2], out->position[1]);
                    ++out;
                }
            }
        };
        for (const Span& span : spans) {
            if (span.interval < 0) writePieces(span, kTraceColour);
        }
        for (const Span& span : spans) {
            if (span.interval >= 0) writePieces(span, kIntervalColour);
        }

        ObjectValues& values = scene.objectValues.back();
        values.firstVertex = static_cast<int32_t>(2 * tracePieces);
        values.verticesPerValue = 2;
        values.ownColour = kIntervalColour;
        values.columns.resize(setColumns.size());
        for (size_t s = 0; s < setColumns.size(); ++s) {
            ValueColumn& column = values.columns[s];
            column.name = setColumns[s].name;
            column.text = setColumns[s].text;
            // Every hole's text column lists every category of the set, so that a text
            // has the same number in every hole.
            if (column.text) column.categoryNames = setColumns[s].categoryNames;
            if (column.text)
                column.categories.reserve(static_cast<size_t>(intervalPieces));
            else
                column.numbers.reserve(static_cast<size_t>(intervalPieces));
            for (const Span& span : spans) {
                if (span.interval < 0) continue;
                const Interval& interval = holeIntervals[static_cast<size_t>(span.interval)];
                const TableColumnMap& map = columnMaps[static_cast<size_t>(interval.table)];
                const int32_t c = map.tableColumn[s];
                const auto row = static_cast<size_t>(interval.row);
                if (column.text) {
                    column.categories.insert(column.categories.end(), span.pieces,
                                             c < 0 ? -1 : map.rowCategory[s][row]);
                } else {
                    const float number =
                        c < 0 ? std::numeric_limits<float>::quiet_NaN()
                              : tables[static_cast<size_t>(interval.table)].values[static_cast<size_t>(c)].numbers[row];
                    column.numbers.insert(column.numbers.end(), span.pieces, number);
                }
            }
        }
    }
    scene.objectCount = CountObjects(scene);
    observer.ProgressClosed();
}

}  // namespace talan
