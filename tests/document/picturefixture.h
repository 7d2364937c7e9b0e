#pragma once

#include <QByteArray>

// Pictures for the reader tests, made by the tests.
namespace PictureFixture {

// A small PNG file whose header claims width x height pixels: a picture
// bomb of a few bytes. Its data holds one pixel, so only a decoder that
// trusts the header allocates the rest.
QByteArray pngClaiming(int width, int height);

} // namespace PictureFixture
