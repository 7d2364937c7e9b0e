#pragma once

// What the reader of an encrypted PDF may do without the owner password,
// in the order the library's EncodePermissions takes them.
struct DocumentPermissions
{
    bool canPrint = false;
    bool canCopy = false;
    bool canChange = false;
    bool canAddNotes = false;
    bool canFillFields = false;
    bool canCopyAccess = false;
    bool canAssemble = false;
    bool canPrintFull = false;
};
