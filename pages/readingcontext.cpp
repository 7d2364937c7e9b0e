#include "pages/readingcontext.h"

ReadingContext::ReadingContext(QObject *parent)
    : QObject(parent)
{
}

ReadingContext::~ReadingContext() = default;
