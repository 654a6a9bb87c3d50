#pragma once

#include <string>
#include <vector>

// Splits server output into message bodies. The output must consist only of
// messages framed exactly as "Content-Length: N\r\n\r\n" followed by N bytes;
// anything else is reported in *problem and the result is false.
bool split_frames(const std::string& output, std::vector<std::string>* bodies, std::string* problem);

// One framed message around a body.
std::string frame(const std::string& body);

// A text as a JSON string literal, for putting documents into messages:
// every byte as it is except the ones JSON cannot carry raw, so invalid
// UTF-8 reaches the server untouched, and a NUL byte is sent as \u0000.
std::string json_string(const std::string& text);
