#pragma once
// A program's version record, kept in its own ELF section so that
// `readelf -p .rlx_version <program>` shows it. Each entry is "Name=Value".

#define RLX_VERSION_RECORD(text) \
  extern "C" __attribute__((used, section(".rlx_version"))) const char rlx_version_record[] = text
