// What the record keeps of an image: its fingerprint, its type and serial, its
// calibration date and the verdict of the library of its own type.
#pragma once

#include <string>

#include "bench_record.h"
#include "image_file.h"

// Binds the image's library: call it holding the library lock where threads
// share the process. library receives the library's file name when it could be
// bound.
ImageFacts FactsOfImage(const ProbeImageBytes& image, std::string* library = nullptr);
