#include "session/SessionJson.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "session/HexText.h"
#include "session/SessionLimits.h"

namespace {

struct KindName {
  EventKind kind;
  const char* name;
};
constexpr KindName kKindNames[] = {
    {EventKind::kCommand, "command"},
    {EventKind::kDeviceNumber, "deviceNumber"},
    {EventKind::kInterfacesOpen, "interfacesOpen"},
    {EventKind::kInterface, "interface"},
    {EventKind::kLogicalDrives, "logicalDrives"},
    {EventKind::kWindowsDirectory, "windowsDirectory"},
    {EventKind::kDriveType, "driveType"},
    {EventKind::kFlush, "flush"},
    {EventKind::kPlaces, "places"},
};

const char* NameOf(EventKind kind) {
  const auto found = std::find_if(std::begin(kKindNames), std::end(kKindNames),
                                  [kind](const KindName& k) { return k.kind == kind; });
  return found == std::end(kKindNames) ? "command" : found->name;
}

const char* StepName(InterfaceStep step) {
  switch (step) {
    case InterfaceStep::kPath:
      return "path";
    case InterfaceStep::kDetailFailed:
      return "detailFailed";
    default:
      return "end";
  }
}

// Reads the members of one object, each checked for its type and bounds; the
// first problem is kept, with the member's name.
class Members {
 public:
  Members(const Json& object, std::string* error) : object_(object), error_(error) {}

  bool Unsigned(const char* key, uint64_t limit, uint64_t* value) {
    const Json* member = Find(key);
    if (member == nullptr) return false;
    if (!member->is_number_unsigned() || member->get<uint64_t>() > limit) {
      return Fail(key, "a whole number from 0 to " + std::to_string(limit));
    }
    *value = member->get<uint64_t>();
    return true;
  }
  template <typename T>
  bool Number(const char* key, uint64_t limit, T* value) {
    uint64_t wide = 0;
    if (!Unsigned(key, limit, &wide)) return false;
    *value = static_cast<T>(wide);
    return true;
  }
  bool Bool(const char* key, bool* value) {
    const Json* member = Find(key);
    if (member == nullptr) return false;
    if (!member->is_boolean()) return Fail(key, "true or false");
    *value = member->get<bool>();
    return true;
  }
  bool Text(const char* key, std::string* value) {
    const Json* member = Find(key);
    if (member == nullptr) return false;
    if (!member->is_string() || member->get_ref<const std::string&>().size() > kMaxTextLength) {
      return Fail(key, "a text of at most " + std::to_string(kMaxTextLength) + " characters");
    }
    *value = member->get<std::string>();
    return true;
  }
  bool Hex(const char* key, size_t maxBytes, std::vector<uint8_t>* bytes) {
    const Json* member = Find(key);
    if (member == nullptr) return false;
    if (!member->is_string() || member->get_ref<const std::string&>().size() > 2 * maxBytes ||
        !BytesOfHex(member->get_ref<const std::string&>(), bytes)) {
      return Fail(key, "hexadecimal bytes, at most " + std::to_string(maxBytes));
    }
    return true;
  }
  bool Texts(const char* key, size_t maxCount, std::vector<std::string>* values) {
    const Json* member = Find(key);
    if (member == nullptr) return false;
    if (!member->is_array() || member->size() > maxCount) {
      return Fail(key, "a list of at most " + std::to_string(maxCount) + " texts");
    }
    for (const Json& item : *member) {
      if (!item.is_string() || item.get_ref<const std::string&>().size() > kMaxTextLength) {
        return Fail(key,
                    "a list of texts of at most " + std::to_string(kMaxTextLength) + " characters");
      }
      values->push_back(item.get<std::string>());
    }
    return true;
  }
  bool Has(const char* key) const { return object_.contains(key); }
  bool Fail(const char* key, const std::string& wanted) {
    if (error_->empty()) *error_ = std::string("'") + key + "' must be " + wanted;
    return false;
  }

 private:
  const Json* Find(const char* key) {
    const auto found = object_.find(key);
    if (found == object_.end()) {
      if (error_->empty()) *error_ = std::string("'") + key + "' is missing";
      return nullptr;
    }
    return &*found;
  }

  const Json& object_;
  std::string* error_;
};

bool ReadCommand(Members& m, SessionEvent* e) {
  std::string direction;
  std::string share;
  CommandBytes& c = *e->command;
  if (!m.Hex("cdb", kMaxCdbBytes, &c.cdb) || !m.Text("dir", &direction) ||
      !m.Number("length", kMaxTransferBytes, &e->length) ||
      !m.Number("timeout", UINT32_MAX, &e->timeout) || !m.Text("share", &share) ||
      !m.Bool("opened", &e->opened) || !m.Bool("succeeded", &e->succeeded) ||
      !m.Number("error", UINT32_MAX, &e->error) || !m.Number("status", UINT8_MAX, &e->status) ||
      !m.Number("transferred", UINT32_MAX, &e->transferred) ||
      !m.Number("us", UINT64_MAX, &e->micros)) {
    return false;
  }
  if (direction != "in" && direction != "out") return m.Fail("dir", "\"in\" or \"out\"");
  e->dataIn = direction == "in";
  if (share != "readWrite" && share != "none") return m.Fail("share", "\"readWrite\" or \"none\"");
  e->share = share == "none" ? ShareMode::kNone : ShareMode::kReadWrite;
  if (m.Has("in") && !m.Hex("in", e->length, &c.in)) return false;
  if (m.Has("sense") && !m.Hex("sense", kAutoSenseCapacity, &c.sense)) return false;
  if (m.Has("outSha256")) {
    if (!m.Text("outSha256", &c.outSha256)) return false;
    if (c.outSha256.size() != 64) return m.Fail("outSha256", "64 hexadecimal digits");
  }
  if (m.Has("out")) {
    if (!m.Hex("out", e->length, &c.out)) return false;
    if (c.out.size() != e->length) return m.Fail("out", "as many bytes as 'length'");
    c.outKept = true;
  }
  return true;
}

bool ReadBody(EventKind kind, Members& m, SessionEvent* e) {
  switch (kind) {
    case EventKind::kCommand:
      return m.Text("path", &e->path) && ReadCommand(m, e);
    case EventKind::kDeviceNumber:
      return m.Text("path", &e->path) && m.Bool("opened", &e->opened) &&
             m.Bool("succeeded", &e->succeeded) && m.Number("error", UINT32_MAX, &e->error) &&
             m.Number("type", UINT32_MAX, &e->number.DeviceType) &&
             m.Number("number", UINT32_MAX, &e->number.DeviceNumber) &&
             m.Number("partition", UINT32_MAX, &e->number.PartitionNumber);
    case EventKind::kInterfacesOpen:
      return m.Bool("opened", &e->opened);
    case EventKind::kInterface: {
      std::string step;
      if (!m.Number("index", UINT32_MAX, &e->index) || !m.Text("step", &step) ||
          !m.Text("path", &e->path)) {
        return false;
      }
      if (step == "path") {
        e->step = InterfaceStep::kPath;
      } else if (step == "detailFailed") {
        e->step = InterfaceStep::kDetailFailed;
      } else if (step == "end") {
        e->step = InterfaceStep::kEndOfList;
      } else {
        return m.Fail("step", "\"path\", \"end\" or \"detailFailed\"");
      }
      return true;
    }
    case EventKind::kWindowsDirectory:
      return m.Text("text", &e->texts->text) && m.Number("value", UINT32_MAX, &e->value);
    case EventKind::kDriveType:
    case EventKind::kFlush:
      return m.Text("path", &e->path) && m.Number("value", UINT32_MAX, &e->value);
    case EventKind::kLogicalDrives:
      return m.Number("value", UINT32_MAX, &e->value);
    case EventKind::kPlaces: {
      std::vector<std::string> places;
      if (!m.Text("path", &e->path) || !m.Text("shown", &e->texts->text) ||
          !m.Texts("places", kMaxPlaces, &places) ||
          (m.Has("serial") && !m.Text("serial", &e->texts->serial))) {
        return false;
      }
      e->texts->SetPlaces(places);
      return true;
    }
  }
  return false;
}

}  // namespace

std::string DumpJson(const Json& json) {
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json HeaderToJson(const SessionHeader& h) {
  Json json;
  json["format"] = h.format;
  json["program"] = h.program;
  json["version"] = h.version;
  json["firmware"] = {
      {"version", h.firmwareVersion}, {"kind", h.firmwareKind}, {"sha256", h.firmwareSha256}};
  json["system"] = h.system;
  json["placesKey"] = h.placesKey;
  json["started"] = h.started;
  json["arguments"] = h.arguments;
  return json;
}

Json EventToJson(const SessionEvent& e) {
  Json json;
  json["kind"] = NameOf(e.kind);
  switch (e.kind) {
    case EventKind::kCommand:
      json["path"] = e.path;
      json["cdb"] = HexOf(e.command->cdb);
      json["dir"] = e.dataIn ? "in" : "out";
      json["length"] = e.length;
      json["timeout"] = e.timeout;
      json["share"] = e.share == ShareMode::kNone ? "none" : "readWrite";
      json["opened"] = e.opened;
      json["succeeded"] = e.succeeded;
      json["error"] = e.error;
      json["status"] = e.status;
      json["transferred"] = e.transferred;
      if (e.dataIn) json["in"] = HexOf(e.command->in);
      if (!e.command->sense.empty()) json["sense"] = HexOf(e.command->sense);
      if (!e.command->outSha256.empty()) json["outSha256"] = e.command->outSha256;
      if (e.command->outKept) json["out"] = HexOf(e.command->out);
      json["us"] = e.micros;
      break;
    case EventKind::kDeviceNumber:
      json["path"] = e.path;
      json["opened"] = e.opened;
      json["succeeded"] = e.succeeded;
      json["error"] = e.error;
      json["type"] = e.number.DeviceType;
      json["number"] = e.number.DeviceNumber;
      json["partition"] = e.number.PartitionNumber;
      break;
    case EventKind::kInterfacesOpen:
      json["opened"] = e.opened;
      break;
    case EventKind::kInterface:
      json["index"] = e.index;
      json["step"] = StepName(e.step);
      json["path"] = e.path;
      break;
    case EventKind::kWindowsDirectory:
      json["text"] = e.texts->text;
      json["value"] = e.value;
      break;
    case EventKind::kDriveType:
    case EventKind::kFlush:
      json["path"] = e.path;
      json["value"] = e.value;
      break;
    case EventKind::kLogicalDrives:
      json["value"] = e.value;
      break;
    case EventKind::kPlaces:
      json["path"] = e.path;
      json["shown"] = e.texts->text;
      json["places"] = e.texts->Places();
      json["serial"] = e.texts->serial;
      break;
  }
  return json;
}

bool EventFromJson(const Json& json, SessionEvent* event, std::string* error) {
  if (!json.is_object()) {
    *error = "an event must be an object";
    return false;
  }
  Members m(json, error);
  std::string kindName;
  if (!m.Text("kind", &kindName)) return false;
  for (const KindName& k : kKindNames) {
    if (kindName == k.name) {
      event->kind = k.kind;
      return ReadBody(k.kind, m, event);
    }
  }
  *error = "'kind' \"" + kindName + "\" is not a kind of event";
  return false;
}

bool HeaderFromJson(const Json& json, SessionHeader* h, std::string* error) {
  Members m(json, error);
  if (!m.Number("format", INT32_MAX, &h->format)) return false;
  if (h->format != kSessionFormat) {
    *error = "format " + std::to_string(h->format) + " is not one this program reads (" +
             std::to_string(kSessionFormat) + ")";
    return false;
  }
  const auto firmware = json.find("firmware");
  if (firmware == json.end() || !firmware->is_object()) return m.Fail("firmware", "an object");
  Members f(*firmware, error);
  return m.Text("program", &h->program) && m.Text("version", &h->version) &&
         f.Text("version", &h->firmwareVersion) && f.Text("kind", &h->firmwareKind) &&
         f.Text("sha256", &h->firmwareSha256) && m.Text("system", &h->system) &&
         m.Text("placesKey", &h->placesKey) && m.Text("started", &h->started) &&
         m.Texts("arguments", kMaxArguments, &h->arguments);
}
