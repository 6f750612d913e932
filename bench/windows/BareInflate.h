// The baseline of the payload benchmarks: one carried stream inflated straight into a file,
// with no progress reports and no message pumping.
#pragma once
#include <windows.h>
#include <zlib.h>

#include <stdexcept>
#include <string>

#include "payload/GB_Payload.h"

inline void BareInflate(const unsigned char* stream, const TPayloadSizes& s, const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path);
  z_stream z{};
  z.next_in = const_cast<Bytef*>(stream);
  z.avail_in = uInt(s.CLen);
  inflateInit(&z);
  static unsigned char out[65536];
  int rc;
  do {
    z.next_out = out;
    z.avail_out = sizeof out;
    rc = inflate(&z, Z_NO_FLUSH);
    DWORD done;
    WriteFile(h, out, DWORD(sizeof out - z.avail_out), &done, nullptr);
  } while (rc == Z_OK);
  inflateEnd(&z);
  CloseHandle(h);
  if (rc != Z_STREAM_END) throw std::runtime_error("bad stream");
}
