#include "session/SessionReplayer.h"

#include <algorithm>
#include <cstring>

#include "IDEAccess/PassThroughRecord.h"
#include "platform/Sha256.h"
#include "session/HexText.h"
#include "session/Recorders.h"

namespace {

// What no device opening looks like to the transport, after a divergence.
constexpr uint32_t kErrorNoDevice = 2;
// How much of a digest a message shows.
constexpr size_t kDigestShown = 12;

// What a divergence message shows beyond the command block, direction and
// length: what differs.
enum Shown : unsigned {
  kShowPath = 1,
  kShowDigest = 2,
  kShowTimeout = 4,
  kShowShare = 8,
};

// The SHA-256 of the data a command sent ("" for none): of the bytes where
// the session keeps them, else as recorded.
std::string SentDigest(const SessionEvent& c) {
  if (c.dataIn || c.length == 0) return "";
  const CommandBytes& bytes = *c.command;
  if (!bytes.outKept) return bytes.outSha256;
  Sha256Digest digest{};
  if (!ComputeSha256(bytes.out.data(), bytes.out.size(), &digest)) return "";
  return Sha256Hex(digest);
}

// Whole data where both sides have it, else the SHA-256 each side has or
// makes of its bytes.
bool SameDataSent(const SessionEvent& recorded, const SessionEvent& now) {
  if (!recorded.dataIn && !now.dataIn && recorded.command->outKept && now.command->outKept) {
    return recorded.command->out == now.command->out;
  }
  return SentDigest(recorded) == SentDigest(now);
}

std::string Described(const SessionEvent& c, unsigned shown) {
  std::string text = "[" + SpacedHexOf(c.command->cdb) + "] " + (c.dataIn ? "in " : "out ") +
                     std::to_string(c.length);
  if ((shown & kShowTimeout) != 0) text += " timeout " + std::to_string(c.timeout);
  if ((shown & kShowShare) != 0) {
    text += std::string(" share ") + (c.share == ShareMode::kNone ? "none" : "readWrite");
  }
  if ((shown & kShowDigest) != 0) {
    const std::string digest = SentDigest(c);
    text += " sha256 " + (digest.empty() ? "-" : digest.substr(0, kDigestShown));
  }
  if ((shown & kShowPath) != 0) text += " on " + c.path;
  return text;
}

}  // namespace

SessionReplayer::SessionReplayer(Session session)
    : session_(std::move(session)), used_(session_.events.size(), false) {
  for (size_t i = 0; i < session_.events.size(); ++i) {
    if (session_.events[i].kind != EventKind::kCommand) continue;
    pending_[session_.events[i].path].push_back(commands_.size());
    commands_.push_back(i);
  }
}

bool SessionReplayer::diverged() const {
  std::lock_guard<std::mutex> guard(lock_);
  return !divergence_.empty();
}

BackendResult SessionReplayer::Diverge(const std::string& message) {
  if (divergence_.empty()) {
    divergence_ = message;
    if (onDiverge_) onDiverge_(message);
  }
  BackendResult result;
  result.lastError = kErrorNoDevice;
  return result;
}

BackendResult SessionReplayer::Execute(const ScsiRequest& request) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!divergence_.empty()) return Diverge(divergence_);
  SessionEvent now = CommandAsked(request);
  std::deque<size_t>& queue = pending_[now.path];
  if (queue.empty()) {
    return Diverge("the session differs at command " + std::to_string(replayed_ + 1) +
                   ": recorded nothing more, now " + Described(now, kShowPath));
  }
  const std::string number = std::to_string(queue.front() + 1);
  const SessionEvent& recorded = session_.events[commands_[queue.front()]];
  unsigned differs = 0;
  if (recorded.timeout != now.timeout) differs |= kShowTimeout;
  if (recorded.share != now.share) differs |= kShowShare;
  if (!SameDataSent(recorded, now)) differs |= kShowDigest;
  if (recorded.command->cdb != now.command->cdb || recorded.dataIn != now.dataIn ||
      recorded.length != now.length || differs != 0) {
    return Diverge("the session differs at command " + number + ": recorded " +
                   Described(recorded, differs) + ", now " + Described(now, differs));
  }
  queue.pop_front();
  ++replayed_;

  if (recorded.opened) {
    if (recorded.dataIn && request.data != nullptr) {
      std::memset(request.data, 0, recorded.length);
      const std::vector<uint8_t>& in = recorded.command->in;
      if (!in.empty()) std::memcpy(request.data, in.data(), in.size());
    }
    request.record[ptr::kScsiStatus] = recorded.status;
    ptr::Put32(request.record, ptr::kDataTransferLength, recorded.transferred);
  }
  BackendResult result;
  result.opened = recorded.opened;
  result.requestSucceeded = recorded.succeeded;
  result.lastError = recorded.error;
  const std::vector<uint8_t>& sense = recorded.command->sense;
  result.senseLength = static_cast<uint8_t>(std::min(sense.size(), kAutoSenseCapacity));
  std::copy(sense.begin(), sense.begin() + result.senseLength, result.sense);
  return result;
}

const SessionEvent* SessionReplayer::Answer(EventKind kind,
                                            const std::function<bool(const SessionEvent&)>& is) {
  const SessionEvent* last = nullptr;
  for (size_t i = 0; i < session_.events.size(); ++i) {
    const SessionEvent& event = session_.events[i];
    if (event.kind != kind || !is(event)) continue;
    if (!used_[i]) {
      used_[i] = true;
      return &event;
    }
    last = &event;
  }
  return last;
}

BackendResult SessionReplayer::QueryDeviceNumber(const char* path, StorageDeviceNumber* result) {
  std::lock_guard<std::mutex> guard(lock_);
  const std::string asked = path ? path : "";
  const SessionEvent* e =
      Answer(EventKind::kDeviceNumber, [&](const SessionEvent& x) { return x.path == asked; });
  BackendResult outcome;
  if (!divergence_.empty() || e == nullptr) {
    outcome.lastError = kErrorNoDevice;
    return outcome;
  }
  outcome.opened = e->opened;
  outcome.requestSucceeded = e->succeeded;
  outcome.lastError = e->error;
  if (e->opened && e->succeeded && e->error == 0) *result = e->number;
  return outcome;
}

bool SessionReplayer::Open() {
  std::lock_guard<std::mutex> guard(lock_);
  const SessionEvent* e =
      Answer(EventKind::kInterfacesOpen, [](const SessionEvent&) { return true; });
  return e != nullptr && e->opened;
}

InterfaceStep SessionReplayer::Get(uint32_t index, std::string* path) {
  std::lock_guard<std::mutex> guard(lock_);
  const SessionEvent* e =
      Answer(EventKind::kInterface, [index](const SessionEvent& x) { return x.index == index; });
  if (e == nullptr) return InterfaceStep::kEndOfList;
  if (e->step == InterfaceStep::kPath) *path = e->path;
  return e->step;
}

uint32_t SessionReplayer::LogicalDrives() {
  std::lock_guard<std::mutex> guard(lock_);
  const SessionEvent* e =
      Answer(EventKind::kLogicalDrives, [](const SessionEvent&) { return true; });
  return e ? e->value : 0;
}

uint32_t SessionReplayer::WindowsDirectory(char* buffer, uint32_t size) {
  std::lock_guard<std::mutex> guard(lock_);
  const SessionEvent* e =
      Answer(EventKind::kWindowsDirectory, [](const SessionEvent&) { return true; });
  if (e == nullptr || e->value == 0) return 0;
  const std::string& directory = e->texts->text;
  if (directory.size() + 1 > size) return 0;
  std::memcpy(buffer, directory.c_str(), directory.size() + 1);
  return static_cast<uint32_t>(directory.size());
}

uint32_t SessionReplayer::DriveType(const char* rootPath) {
  std::lock_guard<std::mutex> guard(lock_);
  const std::string asked = rootPath ? rootPath : "";
  const SessionEvent* e =
      Answer(EventKind::kDriveType, [&](const SessionEvent& x) { return x.path == asked; });
  return e ? e->value : kDriveNoRootDir;
}

uint32_t SessionReplayer::FlushVolume(const char* place) {
  std::lock_guard<std::mutex> guard(lock_);
  const std::string asked = place ? place : "";
  const SessionEvent* e =
      Answer(EventKind::kFlush, [&](const SessionEvent& x) { return x.path == asked; });
  return e ? e->value : kErrorNotSupported;
}

const SessionEvent* SessionReplayer::PlacesOf(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock_);
  return Answer(EventKind::kPlaces, [&](const SessionEvent& x) { return x.path == path; });
}

std::string SessionReplayer::ShownPathOf(const std::string& path) const {
  std::lock_guard<std::mutex> guard(lock_);
  for (const SessionEvent& event : session_.events) {
    if (event.kind == EventKind::kPlaces && event.path == path) return event.texts->text;
  }
  return path;
}

std::string SessionReplayer::LeftOver() const {
  std::lock_guard<std::mutex> guard(lock_);
  if (!divergence_.empty() || replayed_ >= commands_.size()) return "";
  // The first command of the session that was not replayed.
  size_t first = commands_.size();
  for (const auto& entry : pending_) {
    if (!entry.second.empty()) first = std::min(first, entry.second.front());
  }
  const size_t left = commands_.size() - replayed_;
  return "the run ended with " + std::to_string(left) + " recorded command" +
         (left == 1 ? "" : "s") + " left over, from command " + std::to_string(first + 1) + ": " +
         Described(session_.events[commands_[first]], 0);
}
