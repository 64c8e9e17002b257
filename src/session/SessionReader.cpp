#include "session/SessionReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "platform/RegularFile.h"
#include "session/SessionJson.h"
#include "session/SessionLimits.h"

namespace {

// A crash leaves at most one incomplete last line: a file that ends inside an
// event is read up to a line end among its last three.
constexpr uint64_t kRecoveryLines = 3;
constexpr size_t kChunkBytes = size_t{64} * 1024;

std::string SizeRefusal() {
  return "more than " + std::to_string(kMaxSessionFileBytes) +
         " bytes, more than a session file holds";
}

// The file's bytes as the parser takes them, a chunk at a time: where the
// parser is (for messages), how many line ends it passed (for a file cut
// short), and never more than a session file may hold.
class ByteStream {
 public:
  // `read` fills a buffer and says how much it put there, 0 at the end.
  explicit ByteStream(std::function<size_t(char*, size_t)> read)
      : read_(std::move(read)), chunk_(kChunkBytes) {}

  bool AtEnd() {
    if (next_ < end_) return false;
    if (ended_) return true;
    next_ = 0;
    end_ = read_(chunk_.data(), chunk_.size());
    if (consumed_ + end_ > kMaxSessionFileBytes) {
      tooLarge_ = true;
      end_ = 0;
    }
    ended_ = end_ == 0;
    return ended_;
  }
  char Current() const { return chunk_[next_]; }
  void Advance() {
    const char c = chunk_[next_++];
    ++consumed_;
    taken_[1] = taken_[0];
    taken_[0] = {line_, column_};
    if (c == '\n') {
      ++line_;
      column_ = 1;
      ++lineEnds_;
    } else {
      ++column_;
    }
  }
  // Reads to the end, counting line ends.
  void Drain() {
    while (!AtEnd()) Advance();
  }

  bool tooLarge() const { return tooLarge_; }
  uint64_t lineEnds() const { return lineEnds_; }
  // "line 3, column 7" of the byte at `offset`: one of the last two taken
  // (past a number, the parser has read one byte more than it judged), or
  // the end.
  std::string PlaceOf(uint64_t offset) const {
    const Place place = offset >= consumed_       ? Place{line_, column_}
                        : offset + 1 == consumed_ ? taken_[0]
                                                  : taken_[1];
    return "line " + std::to_string(place.line) + ", column " + std::to_string(place.column);
  }
  std::string LastPlace() const { return PlaceOf(consumed_ == 0 ? 0 : consumed_ - 1); }

 private:
  std::function<size_t(char*, size_t)> read_;
  std::vector<char> chunk_;
  size_t next_ = 0;
  size_t end_ = 0;
  bool ended_ = false;
  bool tooLarge_ = false;
  uint64_t consumed_ = 0;
  uint64_t line_ = 1;
  uint64_t column_ = 1;
  struct Place {
    uint64_t line = 1;
    uint64_t column = 1;
  };
  Place taken_[2];  // of the last byte taken, and of the one before
  uint64_t lineEnds_ = 0;
};

// A ByteStream as the parser's iterators; the default one is the end.
class StreamIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = char;

  StreamIterator() = default;
  explicit StreamIterator(ByteStream* stream) : stream_(stream) {}

  char operator*() const { return stream_->Current(); }
  StreamIterator& operator++() {
    stream_->Advance();
    return *this;
  }
  bool operator==(const StreamIterator& other) const { return AtEnd() == other.AtEnd(); }
  bool operator!=(const StreamIterator& other) const { return !(*this == other); }

 private:
  bool AtEnd() const { return stream_ == nullptr || stream_->AtEnd(); }

  ByteStream* stream_ = nullptr;
};

// The members a kept object keeps; the others are parsed past, never kept.
struct MemberNames {
  const char* const* names;
  size_t count;

  bool Has(const std::string& key) const {
    for (size_t i = 0; i < count; ++i) {
      if (key == names[i]) return true;
    }
    return false;
  }
};

constexpr const char* kHeaderKeys[] = {"format", "program",   "version", "firmware",
                                       "system", "placesKey", "started", "arguments"};
constexpr const char* kFirmwareKeys[] = {"version", "kind", "sha256"};
constexpr const char* kEventKeys[] = {
    "kind",   "path",      "cdb",   "dir",    "length",      "timeout", "share",
    "opened", "succeeded", "error", "status", "transferred", "in",      "outSha256",
    "out",    "us",        "type",  "number", "partition",   "index",   "step",
    "text",   "value",     "shown", "places", "serial",      "sense"};
constexpr MemberNames kHeaderMembers{kHeaderKeys, std::size(kHeaderKeys)};
constexpr MemberNames kFirmwareMembers{kFirmwareKeys, std::size(kFirmwareKeys)};
constexpr MemberNames kEventMembers{kEventKeys, std::size(kEventKeys)};

// Builds the session from the parser's events as they come. The only JSON
// kept is the header's members and the one event being read, each member
// within its limits (a list to one item past its limit, so that the check
// of the member still sees it too long); whatever else the file holds is
// passed over. The limits on nesting and on the number of events hold as
// the file is read, so that no file makes it keep more than the session it
// describes.
//
// The checks of what was read come in the order of a whole file's: the
// header, then the events' list, their number, and the first bad event.
class SessionSax final : public nlohmann::json_sax<Json> {
 public:
  SessionSax(ByteStream& stream, Session* session, size_t maxEvents)
      : stream_(stream), session_(session), maxEvents_(maxEvents) {}

  bool null() override { return Value(Json(nullptr)); }
  bool boolean(bool value) override { return Value(Json(value)); }
  bool number_integer(number_integer_t value) override { return Value(Json(value)); }
  bool number_unsigned(number_unsigned_t value) override { return Value(Json(value)); }
  bool number_float(number_float_t value, const string_t& /*text*/) override {
    return Value(Json(value));
  }
  // The parser clears its buffer before the next token: a long member is
  // taken from it, not copied.
  bool string(string_t& value) override { return Value(Json(std::move(value))); }
  bool binary(binary_t& /*value*/) override { return Value(Json()); }
  bool start_object(std::size_t /*elements*/) override { return Open(true); }
  bool start_array(std::size_t /*elements*/) override { return Open(false); }
  bool end_object() override { return Close(); }
  bool end_array() override { return Close(); }
  bool key(string_t& name) override;
  bool parse_error(std::size_t position, const std::string& /*token*/,
                   const nlohmann::detail::exception& failure) override;

  // After the parser gave up on the file's syntax: whether the file is one
  // cut short inside an event, and if so, the session up to its last line end
  // between events.
  bool Recover();
  // The checks of a whole file; "" when it is a session.
  std::string Finish();

  bool syntaxError() const { return syntaxError_; }
  const std::string& refusal() const { return refusal_; }

 private:
  enum class Role : uint8_t {
    kSkipped,   // passed over
    kDocument,  // the file's object: the header's members and the events
    kObject,    // kept: the header's firmware, the event being read
    kList,      // kept to one item past `limit`: the arguments, an event's places
    kEvents,    // the events' list
  };
  struct Frame {
    Role role = Role::kSkipped;
    Json* into = nullptr;
    const MemberNames* members = nullptr;  // kObject
    size_t limit = 0;                      // kList
    size_t items = 0;                      // kList
    bool event = false;                    // an item of the events' list
    bool list = false;                     // (an event that is) a list
  };
  // Where the value after an object's key goes.
  struct Pending {
    Json* slot = nullptr;                  // nowhere when null
    const MemberNames* members = nullptr;  // an object kept as one
    size_t listLimit = 0;                  // a list kept as one
    bool events = false;                   // the events' list
  };
  // The last line end between two events, and how many came before it.
  struct Cut {
    bool found = false;
    uint64_t lineEnds = 0;
    size_t events = 0;
  };

  bool Value(Json value);
  bool Open(bool object);
  Frame MemberFrame(bool object);
  Frame EventFrame(bool object);
  bool Close();
  void StartEvents();
  void Between() { betweenSince_ = stream_.lineEnds(); }
  void LeaveBetween();
  void FinishEvent(const Json* tree);

  ByteStream& stream_;
  Session* session_;
  const size_t maxEvents_;
  std::vector<Frame> frames_;
  Pending pending_;
  Json header_ = Json::object();
  Json event_;
  bool notObject_ = false;
  bool eventsFound_ = false;
  bool eventsNotList_ = false;
  size_t eventsSeen_ = 0;
  std::string eventError_;
  size_t eventErrorAt_ = 0;
  uint64_t betweenSince_ = 0;
  Cut cut_;
  bool syntaxError_ = false;
  std::string refusal_;
};

bool SessionSax::key(string_t& name) {
  pending_ = Pending();
  Frame& top = frames_.back();
  if (top.role == Role::kDocument) {
    if (name == "events") {
      pending_.events = true;
      return true;
    }
    if (!kHeaderMembers.Has(name)) return true;
    pending_.slot = &header_[name];
    if (name == "firmware") pending_.members = &kFirmwareMembers;
    if (name == "arguments") pending_.listLimit = kMaxArguments;
  } else if (top.role == Role::kObject) {
    if (!top.members->Has(name)) return true;
    pending_.slot = &(*top.into)[name];
    if (top.event && name == "places") pending_.listLimit = kMaxPlaces;
  }
  return true;
}

bool SessionSax::Value(Json value) {
  if (frames_.empty()) {
    notObject_ = true;
    return true;
  }
  Frame& top = frames_.back();
  switch (top.role) {
    case Role::kDocument:
    case Role::kObject:
      if (pending_.events) {
        StartEvents();
        eventsNotList_ = true;
      } else if (pending_.slot != nullptr) {
        *pending_.slot = std::move(value);
      }
      pending_ = Pending();
      break;
    case Role::kList:
      if (top.items++ <= top.limit) top.into->push_back(std::move(value));
      break;
    case Role::kEvents:
      LeaveBetween();
      FinishEvent(&value);
      Between();
      break;
    case Role::kSkipped:
      break;
  }
  return true;
}

bool SessionSax::Open(bool object) {
  if (frames_.size() >= static_cast<size_t>(kMaxNesting)) {
    refusal_ = stream_.LastPlace() + ": nested deeper than a session file is";
    return false;
  }
  Frame frame;
  if (frames_.empty()) {
    if (object) {
      frame.role = Role::kDocument;
    } else {
      notObject_ = true;
    }
    frames_.push_back(frame);
    return true;
  }
  Frame& top = frames_.back();
  switch (top.role) {
    case Role::kDocument:
    case Role::kObject:
      frame = MemberFrame(object);
      break;
    case Role::kList:
      if (top.items++ <= top.limit) top.into->push_back(object ? Json::object() : Json::array());
      break;
    case Role::kEvents:
      frame = EventFrame(object);
      break;
    case Role::kSkipped:
      break;
  }
  frames_.push_back(frame);
  return true;
}

// The member's value is an object or a list: the events' list, a member kept
// as the key said, or one passed over.
SessionSax::Frame SessionSax::MemberFrame(bool object) {
  Frame frame;
  if (pending_.events) {
    StartEvents();
    if (object) {
      eventsNotList_ = true;
    } else {
      frame.role = Role::kEvents;
      Between();
    }
  } else if (pending_.slot != nullptr) {
    Json* slot = pending_.slot;
    // A container where none belongs stays, empty, for the member's check.
    *slot = object ? Json::object() : Json::array();
    if (object && pending_.members != nullptr) {
      frame.role = Role::kObject;
      frame.into = slot;
      frame.members = pending_.members;
    } else if (!object && pending_.listLimit != 0) {
      frame.role = Role::kList;
      frame.into = slot;
      frame.limit = pending_.listLimit;
    }
  }
  pending_ = Pending();
  return frame;
}

// The events' list's next item: an object kept while no event before it was
// bad and the list is within its limit.
SessionSax::Frame SessionSax::EventFrame(bool object) {
  LeaveBetween();
  Frame frame;
  frame.event = true;
  frame.list = !object;
  if (object && eventError_.empty() && eventsSeen_ < maxEvents_) {
    event_ = Json::object();
    frame.role = Role::kObject;
    frame.into = &event_;
    frame.members = &kEventMembers;
  }
  return frame;
}

bool SessionSax::Close() {
  if (frames_.back().role == Role::kEvents) LeaveBetween();
  const Frame done = frames_.back();
  frames_.pop_back();
  if (done.event) {
    static const Json kList = Json::array();
    FinishEvent(done.list ? &kList : done.role == Role::kObject ? &event_ : nullptr);
    event_ = Json();
    Between();
  }
  return true;
}

// Another "events" member stands instead of the one before, as the last of a
// member does in JSON.
void SessionSax::StartEvents() {
  eventsFound_ = true;
  eventsNotList_ = false;
  session_->events.clear();
  eventsSeen_ = 0;
  eventError_.clear();
  eventErrorAt_ = 0;
  cut_ = Cut();
}

// Called as the events' list takes its next item or ends: a line end passed
// since the last event ended is where the file can be closed again.
void SessionSax::LeaveBetween() {
  if (stream_.lineEnds() > betweenSince_) cut_ = {true, stream_.lineEnds(), eventsSeen_};
}

// One item of the events' list read; `tree` is null for one not kept.
void SessionSax::FinishEvent(const Json* tree) {
  ++eventsSeen_;
  if (tree == nullptr || !eventError_.empty() || eventsSeen_ > maxEvents_) return;
  SessionEvent event;
  std::string error;
  if (!EventFromJson(*tree, &event, &error)) {
    eventError_ = "event " + std::to_string(eventsSeen_) + ": " + error;
    eventErrorAt_ = eventsSeen_;
    return;
  }
  session_->events.push_back(std::move(event));
}

bool SessionSax::parse_error(std::size_t position, const std::string& /*token*/,
                             const nlohmann::detail::exception& failure) {
  if (!frames_.empty() && frames_.back().role == Role::kEvents) LeaveBetween();
  syntaxError_ = true;
  // The library's own words, after its place (which is given here anew).
  const std::string what = failure.what();
  const size_t column = what.find("column");
  const size_t words = column == std::string::npos ? column : what.find(": ", column);
  const std::string why = words == std::string::npos ? "syntax error" : what.substr(words + 2);
  refusal_ =
      "not a session file: " + stream_.PlaceOf(position == 0 ? 0 : position - 1) + ": " + why;
  return false;
}

bool SessionSax::Recover() {
  if (!cut_.found) return false;
  stream_.Drain();
  if (stream_.tooLarge() || stream_.lineEnds() - cut_.lineEnds >= kRecoveryLines) return false;
  if (session_->events.size() > cut_.events) session_->events.resize(cut_.events);
  eventsSeen_ = cut_.events;
  if (eventErrorAt_ > cut_.events) eventError_.clear();
  return true;
}

std::string SessionSax::Finish() {
  if (notObject_) return "not a session file: not a JSON object";
  std::string error;
  if (!HeaderFromJson(header_, &session_->header, &error)) return error;
  if (!eventsFound_ || eventsNotList_) return "'events' must be a list";
  if (eventsSeen_ > maxEvents_) {
    return std::to_string(eventsSeen_) + " events, more than a session holds (" +
           std::to_string(maxEvents_) + ")";
  }
  return eventError_;
}

SessionLoad Read(ByteStream& stream, const std::string& name, Session* session, size_t maxEvents) {
  SessionLoad load;
  std::string error;
  try {
    session->events.clear();
    SessionSax sax(stream, session, maxEvents);
    const bool parsed = Json::sax_parse(StreamIterator(&stream), StreamIterator(), &sax);
    if (stream.tooLarge()) {
      error = SizeRefusal();
    } else if (!parsed && !(sax.syntaxError() && sax.Recover())) {
      error = sax.refusal();
    } else {
      load.cutShort = !parsed;
      error = sax.Finish();
    }
  } catch (const std::bad_alloc&) {
    error = "too large to read (out of memory)";
  } catch (const std::exception&) {
    error = "not a session file: not JSON";
  }
  if (!error.empty()) {
    std::vector<SessionEvent>().swap(session->events);
    load.cutShort = false;
    load.error = name + ": " + error;
    return load;
  }
  load.ok = true;
  return load;
}

}  // namespace

SessionLoad ParseSession(const std::string& text, const std::string& name, Session* session,
                         size_t maxEvents) {
  if (text.size() > kMaxSessionFileBytes) {
    SessionLoad load;
    load.error = name + ": " + std::to_string(text.size()) +
                 " bytes, more than a session file holds (" + std::to_string(kMaxSessionFileBytes) +
                 ")";
    return load;
  }
  size_t offset = 0;
  ByteStream stream([&text, &offset](char* buffer, size_t size) {
    const size_t taken = text.copy(buffer, size, offset);
    offset += taken;
    return taken;
  });
  return Read(stream, name, session, maxEvents);
}

SessionLoad LoadSession(const std::string& path, Session* session) {
  SessionLoad load;
  const OpenedFile opened = OpenRegularFile(path, FileUse::kRead);
  const OwnedFile file(opened.file);
  if (!file) {
    load.error = path + ": cannot be opened (" + opened.error + ")";
    return load;
  }
  // A file too large is refused before it is read, where its size is known.
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    const long size = std::ftell(file.get());
    if (size > 0 && static_cast<uint64_t>(size) > kMaxSessionFileBytes) {
      load.error = path + ": " + SizeRefusal();
      return load;
    }
  }
  std::rewind(file.get());
  std::FILE* raw = file.get();
  std::string readError;
  ByteStream stream([raw, &readError](char* buffer, size_t size) {
    const size_t got = std::fread(buffer, 1, size, raw);
    if (got < size && std::ferror(raw) && readError.empty()) readError = std::strerror(errno);
    return got;
  });
  load = Read(stream, path, session, kMaxSessionEvents);
  if (readError.empty()) return load;
  // What was read before the failure is no session to trust.
  std::vector<SessionEvent>().swap(session->events);
  load = SessionLoad();
  load.error = path + ": cannot be read (" + readError + ")";
  return load;
}
