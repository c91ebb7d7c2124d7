#pragma once
// Escaping of outside text (file names) for the track formats. File names
// are bytes: XML and JSON get valid UTF-8, with U+FFFD for bytes that are
// not, and control characters that XML cannot hold.
#include <string>
#include <string_view>

// A CSV field: control bytes written as "\xHH"; a leading '=', '+', '-',
// '@', tab or CR gets an apostrophe in front, so spreadsheets do not take
// it for a formula; quoted, with doubled quotes, when it holds a comma or a
// quote or a leading or trailing blank; otherwise as it is.
std::string csvField(std::string_view text);
// Character data or an attribute value of XML 1.0; characters XML 1.0
// cannot hold (C0 controls, U+FFFE, U+FFFF and the other non-characters)
// become U+FFFD.
std::string xmlText(std::string_view text);
// A JSON string, quotes included.
std::string jsonString(std::string_view text);
// For a terminal line: valid UTF-8 with control characters shown as '?', so
// a name cannot break the line or move the cursor.
std::string printableText(std::string_view text);
// Valid UTF-8: every byte that does not start or continue a proper sequence
// (overlong forms and surrogates included) becomes U+FFFD.
std::string validUtf8(std::string_view text);
