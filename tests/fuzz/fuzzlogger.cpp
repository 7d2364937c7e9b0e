// The day log of the fuzz targets: every line is dropped.

#include "core/logger.h"

Logger::Logger() = default;

Logger *Logger::instance()
{
    static Logger logger;
    return &logger;
}

void Logger::write(const QString &, int) { }
