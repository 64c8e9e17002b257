// tq214-pnp-standin.exe: what Windows' plug-and-play manager would present to
// a program for the USB disks of the harness's guest, for Wine, which
// presents none (its SetupAPI lists disk interfaces from the registry only,
// and nothing there sends a window DBT_DEVNODES_CHANGED for a USB disk).
//
// It answers no device command and never touches the program under test: it
// reads lines from a file that the guest's uevent handler appends to, and for
//   arrive <instance id>   writes the disk's Enum key and its disk-interface
//                          class entry (linked, so that DIGCF_PRESENT lists it)
//   leave <instance id>    removes them
// then broadcasts WM_DEVICECHANGE to the top-level windows: DBT_DEVNODES_CHANGED,
// and DBT_DEVICEREMOVECOMPLETE after a removal, as Windows does. Each line
// done is acknowledged on standard output ("done N"). The dosdevices link from
// the interface name to the device node is the shell's (a Unix symlink).
//
//   tq214-pnp-standin.exe COMMAND_FILE

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr char kDiskInterfaceClass[] = "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
constexpr char kDiskDriveClass[] = "{4d36e967-e325-11ce-bfc1-08002be10318}";
constexpr char kEnumRoot[] = "System\\CurrentControlSet\\Enum\\";
constexpr char kClassesRoot[] = "System\\CurrentControlSet\\Control\\DeviceClasses\\";
constexpr WPARAM kDevNodesChanged = 0x0007;
constexpr WPARAM kDeviceRemoveComplete = 0x8004;
constexpr DWORD kPollMs = 100;

// "USBSTOR\Disk&Ven_X\S&0" as the interface key names it: "##?#USBSTOR#Disk&Ven_X#S&0#{class}".
std::string InterfaceKeyOf(const std::string& instance) {
  std::string key = "##?#";
  for (const char c : instance) key += c == '\\' ? '#' : c;
  return key + "#" + kDiskInterfaceClass;
}

bool SetText(HKEY key, const char* name, const std::string& value) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool CreateKey(const std::string& path, HKEY* key) {
  return RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                         key, nullptr) == ERROR_SUCCESS;
}

bool Arrive(const std::string& instance) {
  HKEY device = nullptr;
  if (!CreateKey(kEnumRoot + instance, &device)) return false;
  const bool classSet = SetText(device, "ClassGUID", kDiskDriveClass);
  RegCloseKey(device);

  const std::string entry =
      std::string(kClassesRoot) + kDiskInterfaceClass + "\\" + InterfaceKeyOf(instance);
  HKEY interfaceKey = nullptr;
  if (!CreateKey(entry, &interfaceKey)) return false;
  const bool instanceSet = SetText(interfaceKey, "DeviceInstance", instance);
  RegCloseKey(interfaceKey);
  HKEY control = nullptr;
  if (!CreateKey(entry + "\\#\\Control", &control)) return false;
  const DWORD linked = 1;
  const bool linkedSet =
      RegSetValueExA(control, "Linked", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&linked),
                     sizeof linked) == ERROR_SUCCESS;
  RegCloseKey(control);
  return classSet && instanceSet && linkedSet;
}

bool Leave(const std::string& instance) {
  const std::string entry =
      std::string(kClassesRoot) + kDiskInterfaceClass + "\\" + InterfaceKeyOf(instance);
  const LSTATUS a = RegDeleteTreeA(HKEY_LOCAL_MACHINE, entry.c_str());
  const LSTATUS b = RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kEnumRoot + instance).c_str());
  return (a == ERROR_SUCCESS || a == ERROR_FILE_NOT_FOUND) &&
         (b == ERROR_SUCCESS || b == ERROR_FILE_NOT_FOUND);
}

BOOL CALLBACK Tell(HWND window, LPARAM event) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_DEVICECHANGE, static_cast<WPARAM>(event), 0, SMTO_ABORTIFHUNG,
                      1000, &ignored);
  return TRUE;
}

void Broadcast(WPARAM event) {
  EnumWindows(Tell, static_cast<LPARAM>(event));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tq214-pnp-standin.exe COMMAND_FILE\n");
    return 2;
  }
  std::string pending;
  long done = 0;
  long offset = 0;
  for (;;) {
    if (std::FILE* file = std::fopen(argv[1], "rb")) {
      std::fseek(file, offset, SEEK_SET);
      char chunk[512];
      size_t got = 0;
      while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        pending.append(chunk, got);
        offset += static_cast<long>(got);
      }
      std::fclose(file);
    }
    for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line == "quit") return 0;
      bool ok = false;
      if (line.compare(0, 7, "arrive ") == 0) {
        ok = Arrive(line.substr(7));
        Broadcast(kDevNodesChanged);
      } else if (line.compare(0, 6, "leave ") == 0) {
        ok = Leave(line.substr(6));
        Broadcast(kDevNodesChanged);
        Broadcast(kDeviceRemoveComplete);
      }
      std::printf("%s %ld: %s\n", ok ? "done" : "failed", ++done, line.c_str());
      std::fflush(stdout);
    }
    Sleep(kPollMs);
  }
}
