#pragma once

#include <string>
#include <vector>

// A conversation with the server kept as data, one file per case or theme
// under tests/e2e/transcripts/. The format, line by line:
//
//   # text          comment; blank lines are ignored too
//   --> JSON        a message to the server, framed with its Content-Length
//   <-- JSON        the next message the server must write, byte for byte
//   raw TEXT        bytes sent as they are, for testing the framing itself;
//                   escapes: \r \n \t \\ \xHH
//   repeat N TEXT   TEXT (same escapes) sent N times
//   exit N          the exit status the server must end with (required)
//
// A line that starts with a blank continues the previous -->, <-- or raw
// line: its leading blanks are dropped and the rest is appended directly, so
// long messages can be wrapped anywhere outside JSON strings.
//
// All input is written at once and then standard input is closed. The
// server's output must consist only of framed messages, exactly the expected
// ones in order, and nothing may appear on standard error.
struct Transcript {
    std::string input;
    std::vector<std::string> expected;
    int exit_status = -1;
};

// False with a message naming the line when the text is not a transcript.
bool parse_transcript(const std::string& text, Transcript* transcript, std::string* problem);

// Decodes the escapes of raw and repeat lines.
bool unescape_bytes(const std::string& text, std::string* bytes);

// The transcript text with its expectations replaced by what the server
// really wrote: the i-th <-- (with its continuation lines) becomes the i-th
// body on one line, surplus expectations are dropped, surplus bodies follow
// the last expectation (or come before the exit line), and the exit line
// takes the real status. Everything else is kept as written.
std::string rewrite_transcript(const std::string& text, const std::vector<std::string>& bodies,
                               int exit_status);
