#pragma once

#include "pagination/paginationblock.h"

#include <QTemporaryFile>
#include <QUuid>

#include <memory>
#include <vector>

namespace TestSupport {

// A pagination block under a fresh key. The system names a segment after a
// few bits of its key file's inode, so a fresh key can meet a segment that a
// killed process left behind; the next key is tried then, with a placeholder
// holding the freed inode so that the next key file lands elsewhere.
inline bool createFreshBlock(PaginationBlock &block, int size, QString *key = nullptr)
{
    std::vector<std::unique_ptr<QTemporaryFile>> placeholders;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = QUuid::createUuid().toString();
        if (block.create(name, size)) {
            if (key)
                *key = name;
            return true;
        }
        placeholders.push_back(std::make_unique<QTemporaryFile>());
        placeholders.back()->open();
    }
    return false;
}

} // namespace TestSupport
