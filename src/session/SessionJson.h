#pragma once
// A session as JSON (the file's text), both ways. The writer and the reader
// share these so that what is written is exactly what is read.

#include <nlohmann/json.hpp>
#include <string>

#include "session/SessionEvent.h"

using Json = nlohmann::ordered_json;

// One line of text; bytes that are not UTF-8 in a text (a path, a mount
// point) become U+FFFD rather than stop the run.
std::string DumpJson(const Json& json);

Json HeaderToJson(const SessionHeader& header);
Json EventToJson(const SessionEvent& event);

// False with a reason in `error` (naming the member) for anything that is not
// an event of the format.
bool EventFromJson(const Json& json, SessionEvent* event, std::string* error);
bool HeaderFromJson(const Json& json, SessionHeader* header, std::string* error);
