#include "cli/enclosure/DeviceChoice.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "seams/AsciiCase.h"

namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() &&
         EqualsIgnoringAsciiCase(text.substr(0, start.size()), start);
}

// What a raw device path starts with, and the name of a whole disk after it.
constexpr std::string_view kRawPrefix = "\\\\.\\";
constexpr std::string_view kPhysicalDrive = "PhysicalDrive";

// "\\.\E:": a volume by its drive letter.
bool IsRawVolumePath(std::string_view text) {
  return text.size() == kRawPrefix.size() + 2 && StartsWithIgnoringCase(text, kRawPrefix) &&
         std::isalpha(static_cast<unsigned char>(text[kRawPrefix.size()])) != 0 &&
         text.back() == ':';
}

bool Names(const Candidate& candidate, const std::string& wanted) {
  if (EqualsIgnoringAsciiCase(wanted, candidate.shown) ||
      EqualsIgnoringAsciiCase(wanted, candidate.path)) {
    return true;
  }
  // The serial number, as shown ("#0000000000000214") or bare.
  const std::string_view serial =
      !wanted.empty() && wanted[0] == '#' ? std::string_view(wanted).substr(1) : wanted;
  if (!candidate.serial.empty() && EqualsIgnoringAsciiCase(serial, candidate.serial)) {
    return true;
  }
  // "\\.\E:" names the disk that volume E: lies on.
  std::string_view place = wanted;
  if (IsRawVolumePath(place)) place.remove_prefix(kRawPrefix.size());
  return std::any_of(
      candidate.places.begin(), candidate.places.end(),
      [place](const std::string& other) { return EqualsIgnoringAsciiCase(place, other); });
}

// Every candidate that `wanted` names.
std::vector<const Candidate*> Named(const std::vector<Candidate>& candidates,
                                    const std::string& wanted) {
  std::vector<const Candidate*> named;
  for (const Candidate& candidate : candidates) {
    if (Names(candidate, wanted)) named.push_back(&candidate);
  }
  return named;
}

}  // namespace

bool IsRawDevicePath(const std::string& text) {
  if (IsRawVolumePath(text)) return true;
  std::string_view name = text;
  if (!StartsWithIgnoringCase(name, kRawPrefix)) return false;
  name.remove_prefix(kRawPrefix.size());
  if (!StartsWithIgnoringCase(name, kPhysicalDrive)) return false;
  name.remove_prefix(kPhysicalDrive.size());
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
}

DeviceChoice ChooseDevice(const std::vector<Candidate>& candidates, const std::string& wanted,
                          bool rawPaths,
                          const std::function<std::string(const std::string&)>& resolve) {
  DeviceChoice choice;
  for (const Candidate& candidate : candidates) {
    if (MayBeTbr640(candidate)) choice.tbr640s.push_back(&candidate);
  }
  if (!wanted.empty()) {
    // As written first: a file named like a serial number does not hide it.
    choice.named = Named(candidates, wanted);
    if (choice.named.empty() && resolve) {
      const std::string path = resolve(wanted);
      if (path != wanted) choice.named = Named(candidates, path);
    }
    if (choice.named.size() == 1) {
      choice.outcome = ChoiceOutcome::kChosen;
      choice.device = choice.named.front();
    } else if (!choice.named.empty()) {
      choice.outcome = ChoiceOutcome::kSeveralNamed;
    } else {
      choice.outcome =
          rawPaths && IsRawDevicePath(wanted) ? ChoiceOutcome::kRawPath : ChoiceOutcome::kNotFound;
    }
    return choice;
  }
  if (choice.tbr640s.size() == 1) {
    choice.outcome = ChoiceOutcome::kChosen;
    choice.device = choice.tbr640s.front();
  } else {
    choice.outcome = choice.tbr640s.empty() ? ChoiceOutcome::kNoTbr640 : ChoiceOutcome::kSeveral;
  }
  return choice;
}
