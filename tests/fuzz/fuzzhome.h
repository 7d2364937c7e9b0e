#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// For the targets that write files: the books folder lives under the home
// folder, so each run gets a fresh temporary home, kept until the process
// ends, and Qt's messages are dropped (they would drown the fuzzer's own).
// Call once from LLVMFuzzerInitialize; returns the home folder.
QString useTemporaryHome(const QString &applicationName);

// Writes the fuzzer's input to path, replacing what was there; false when
// the file cannot be written.
bool writeInput(const QString &path, const uint8_t *data, size_t size);
