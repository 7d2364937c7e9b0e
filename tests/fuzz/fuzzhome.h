#pragma once

#include <QString>

// For the targets that write files: the books folder lives under the home
// folder, so each run gets a fresh temporary home, kept until the process
// ends, and Qt's messages are dropped (they would drown the fuzzer's own).
// Call once from LLVMFuzzerInitialize; returns the home folder.
QString useTemporaryHome(const QString &applicationName);
