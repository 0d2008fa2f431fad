// Delimited text tables (comma, semicolon or tab separated) as spreadsheets and
// database exports write them: fields split in place inside the text, quoted fields,
// CR LF or LF line ends, UTF-8 or Windows-1252 text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talan {

// The text as UTF-8 without a leading byte-order mark: `text` itself (less the mark)
// when it is valid UTF-8, otherwise every byte read as Windows-1252 and converted into
// `storage`, which the result then points into.
std::string_view DelimitedTextAsUtf8(std::string_view text, std::string& storage);

// The separator of a table whose header line is `header`: whichever of ',', ';' and
// tab occurs most often outside double quotes; ',' when none occurs or on a tie with ','.
char DetectSeparator(std::string_view header);

// A position in a delimited text: where the next record starts and the line it is on
// (counted from 1).
struct DelimitedCursor {
    std::string_view text;
    char separator = ',';
    size_t position = 0;
    int64_t line = 1;
};

// One record: its fields, without the quotes of quoted fields and with the spaces
// around unquoted fields trimmed. A field views the text, or `unescaped` where a
// quoted field held doubled quotes (so the views stay valid until the next call with
// the same record).
struct DelimitedRecord {
    std::vector<std::string_view> fields;
    int64_t line = 0;  // the line the record starts on
    std::string unescaped;
    std::vector<std::array<size_t, 3>> unescapedSpans;  // field, start and length in `unescaped`
};

// Reads the record at the cursor into `record` and moves the cursor past it. Blank
// lines (nothing but spaces) are skipped. A quoted field may hold separators, line
// ends and doubled quotes; a quote left open runs to the end of the text. Returns
// false, leaving `record` empty, when no record is left.
bool NextRecord(DelimitedCursor& cursor, DelimitedRecord& record);

// A number field as the C library reads a plain decimal: an optional sign, digits with
// an optional '.', an optional exponent ("1.5e3"); "inf" and "nan" are numbers too,
// as are numbers beyond the double range (infinity or zero), and the caller judges
// whether it wants them. Nothing may follow the number. With
// `decimalComma` one ',' may stand for the '.' ("1,5"), for ';'-separated files: in a
// ','-separated file a comma always ends the field, so such files cannot carry it.
// Returns false for anything else.
bool ParseNumberField(std::string_view field, bool decimalComma, double& value);

// A field that means "no value": empty, "NA", "N/A", "-" or "NULL" (any case).
bool IsMissingValue(std::string_view field);

}  // namespace talan
