#include "session/SessionReader.h"

#include <cstdio>
#include <memory>

#include "session/SessionJson.h"
#include "session/SessionLimits.h"

namespace {

// How many line ends from the end a cut-short file is tried at.
constexpr int kRecoveryTries = 3;
constexpr char kClosing[] = "\n]}";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The deepest nesting of arrays and objects, outside strings; stops counting
// once `limit` is passed.
int Nesting(const std::string& text, int limit, size_t* where) {
  int depth = 0;
  int deepest = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > deepest) deepest = depth;
      if (deepest > limit) {
        *where = i;
        return deepest;
      }
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return deepest;
}

std::string LineAndColumn(const std::string& text, size_t offset) {
  size_t line = 1;
  size_t column = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

bool Parse(const std::string& text, Json* json, std::string* error) {
  try {
    *json = Json::parse(text);
    return true;
  } catch (const Json::parse_error& failure) {
    // The library's own words, after its place (which is given here anew).
    const std::string what = failure.what();
    const size_t column = what.find("column");
    const size_t words = column == std::string::npos ? column : what.find(": ", column);
    const std::string why = words == std::string::npos ? "syntax error" : what.substr(words + 2);
    *error =
        "not a session file: " + LineAndColumn(text, failure.byte == 0 ? 0 : failure.byte - 1) +
        ": " + why;
  } catch (const std::exception&) {
    *error = "not a session file: not JSON";
  }
  return false;
}

// A file that a crash cut short ends inside its last event: closed again
// after one of its last complete lines, it reads.
bool Recover(const std::string& text, Json* json) {
  size_t end = text.size();
  for (int tries = 0; tries < kRecoveryTries; ++tries) {
    const size_t lineEnd = end == 0 ? std::string::npos : text.rfind('\n', end - 1);
    if (lineEnd == std::string::npos) return false;
    std::string closed = text.substr(0, lineEnd);
    if (!closed.empty() && closed.back() == ',') closed.pop_back();
    closed += kClosing;
    std::string ignored;
    if (Parse(closed, json, &ignored)) return true;
    end = lineEnd;
  }
  return false;
}

}  // namespace

SessionLoad ParseSession(const std::string& text, const std::string& name, Session* session) {
  SessionLoad load;
  const auto fail = [&](const std::string& why) {
    load.error = name + ": " + why;
    return load;
  };
  if (text.size() > kMaxSessionFileBytes) {
    return fail(std::to_string(text.size()) + " bytes, more than a session file holds (" +
                std::to_string(kMaxSessionFileBytes) + ")");
  }
  size_t deep = 0;
  if (Nesting(text, kMaxNesting, &deep) > kMaxNesting) {
    return fail(LineAndColumn(text, deep) + ": nested deeper than a session file is");
  }
  Json json;
  std::string error;
  if (!Parse(text, &json, &error)) {
    if (!Recover(text, &json)) return fail(error);
    load.cutShort = true;
  }
  if (!json.is_object()) return fail("not a session file: not a JSON object");
  error.clear();
  if (!HeaderFromJson(json, &session->header, &error)) return fail(error);
  const auto events = json.find("events");
  if (events == json.end() || !events->is_array()) return fail("'events' must be a list");
  if (events->size() > kMaxSessionEvents) {
    return fail(std::to_string(events->size()) + " events, more than a session holds (" +
                std::to_string(kMaxSessionEvents) + ")");
  }
  session->events.clear();
  session->events.reserve(events->size());
  for (size_t i = 0; i < events->size(); ++i) {
    SessionEvent event;
    if (!EventFromJson((*events)[i], &event, &error)) {
      return fail("event " + std::to_string(i + 1) + ": " + error);
    }
    session->events.push_back(std::move(event));
  }
  load.ok = true;
  return load;
}

SessionLoad LoadSession(const std::string& path, Session* session) {
  SessionLoad load;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    load.error = path + ": cannot be opened";
    return load;
  }
  // Never more than a session may hold is read, whatever the file's size.
  std::string text;
  char chunk[65536];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    if (text.size() + got > kMaxSessionFileBytes) {
      load.error = path + ": more than " + std::to_string(kMaxSessionFileBytes) +
                   " bytes, more than a session file holds";
      return load;
    }
    text.append(chunk, got);
  }
  return ParseSession(text, path, session);
}
