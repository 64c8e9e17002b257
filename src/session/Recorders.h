#pragma once
// Recording at the seams: decorators that pass every call to the backend they
// wrap, unchanged, and write what was asked and what came back into the
// session. The run does with them exactly what it does without them.

#include <memory>

#include "seams/DiskInterfaces.h"
#include "seams/Seams.h"
#include "seams/Volumes.h"
#include "seams/WrappingBackend.h"
#include "session/SessionWriter.h"

class RecordingScsiBackend final : public WrappingBackend {
 public:
  RecordingScsiBackend(ScsiBackend& inner, SessionWriter& writer)
      : WrappingBackend(inner), writer_(writer) {}
  BackendResult Execute(const ScsiRequest& request) override;
  BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) override;

 private:
  SessionWriter& writer_;
};

class RecordingDiskInterfaces final : public DiskInterfaces {
 public:
  RecordingDiskInterfaces(DiskInterfaces& inner, SessionWriter& writer)
      : inner_(inner), writer_(writer) {}
  bool Open() override;
  InterfaceStep Get(uint32_t index, std::string* path) override;
  void Close() override { inner_.Close(); }

 private:
  DiskInterfaces& inner_;
  SessionWriter& writer_;
};

class RecordingVolumes final : public Volumes {
 public:
  RecordingVolumes(Volumes& inner, SessionWriter& writer) : inner_(inner), writer_(writer) {}
  uint32_t LogicalDrives() override;
  uint32_t WindowsDirectory(char* buffer, uint32_t size) override;
  uint32_t DriveType(const char* rootPath) override;
  uint32_t FlushVolume(const char* place) override;

 private:
  Volumes& inner_;
  SessionWriter& writer_;
};

// A run's seams with the recorders around its device backend, disk
// interfaces and volumes (those it has); the rest as they were.
class RecordedSeams {
 public:
  RecordedSeams(const Seams& inner, SessionWriter& writer);
  const Seams& seams() const { return seams_; }

 private:
  Seams seams_;
  std::unique_ptr<RecordingScsiBackend> scsi_;
  std::unique_ptr<RecordingDiskInterfaces> disks_;
  std::unique_ptr<RecordingVolumes> volumes_;
};

// What a command's record and buffers hold before and after the request:
// shared with the replayer so that both read a request the same way.
SessionEvent CommandAsked(const ScsiRequest& request);
