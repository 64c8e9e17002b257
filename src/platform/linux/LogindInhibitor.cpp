#include "platform/linux/LogindInhibitor.h"

#ifdef TQ214_HAVE_SDBUS
#include <fcntl.h>
#include <systemd/sd-bus.h>

#include <cstring>

int TakeLogindInhibitor(const char* who, const char* why, std::string* failure) {
  sd_bus* bus = nullptr;
  int result = sd_bus_open_system(&bus);
  if (result < 0) {
    *failure = std::string("no system bus (") + std::strerror(-result) + ")";
    return -1;
  }
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  result = sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                              "org.freedesktop.login1.Manager", "Inhibit", &error, &reply, "ssss",
                              "sleep:shutdown:handle-lid-switch", who, why, "block");
  int fd = -1;
  if (result < 0) {
    *failure = std::string("logind refused or is missing (") +
               (error.message ? error.message : std::strerror(-result)) + ")";
  } else {
    int received = -1;
    result = sd_bus_message_read(reply, "h", &received);
    // The message owns what it received: keep a copy of our own.
    if (result >= 0) fd = fcntl(received, F_DUPFD_CLOEXEC, 3);
    if (fd < 0) *failure = "logind's answer carried no lock";
  }
  sd_bus_error_free(&error);
  sd_bus_message_unref(reply);
  sd_bus_flush_close_unref(bus);
  return fd;
}

#else

int TakeLogindInhibitor(const char*, const char*, std::string* failure) {
  *failure = "this build has no system bus library";
  return -1;
}

#endif
