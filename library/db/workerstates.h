#pragma once

#include <QMetaType>

// States and outcomes that the library's background workers (adding books,
// export, import) report through queued signals. The application registers
// each of them by name ("WorkerStates", "AddBooksErrors", "ExportErrors",
// "ImportErrors") with qRegisterMetaType before any worker starts.

enum class WorkerStates : int {
    Idle = 0,
    Preparing = 1,
    Processing = 2,
    // The add-books worker's names for its two phases.
    Scanning = Preparing,
    Adding = Processing,
};

enum class AddBooksErrors : int {
    NoError = 0,
    Canceled = 1,
    DrmProtected = 3,
};

enum class ExportErrors : int {
    NoError = 0,
    LibraryIsEmpty = 1,
    CompressFileError = 2,
    OperationCanceled = 3,
};

enum class ImportErrors : int {
    NoError = 0,
    ContainerCorrupted = 1,
    ImportFileError = 2,
    OperationCanceled = 3,
};

Q_DECLARE_METATYPE(WorkerStates)
Q_DECLARE_METATYPE(AddBooksErrors)
Q_DECLARE_METATYPE(ExportErrors)
Q_DECLARE_METATYPE(ImportErrors)
