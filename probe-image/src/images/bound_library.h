// The probe library of an image's type, bound at run time the way the writer
// binds it: the type character at address 3 names "Palvo%s.dll", the writer's
// binding loads it and resolves its five exports, and the conversions are looked
// up beside them.
#pragma once

#include <optional>
#include <string>

#include "image_file.h"
#include "probe_library.h"

struct BoundLibrary {
    ProbeLibrary core;                                // the writer's five exports
    ProbeGetForceFn ProbeGetForce = nullptr;          // present in every library
    ProbeGetPositionFn ProbeGetPosition = nullptr;    // present in every library
    ProbeGetPosition2Fn ProbeGetPosition2 = nullptr;  // type 6 only
    std::string fileName;
};

// Loaded while it lives; released at the end.
class LibraryBinding {
  public:
    // Binds the library named by the type character; check Bound() afterwards.
    explicit LibraryBinding(char typeCharacter);
    ~LibraryBinding();
    LibraryBinding(const LibraryBinding&) = delete;
    LibraryBinding& operator=(const LibraryBinding&) = delete;

    bool Bound() const { return module_ != nullptr; }
    const BoundLibrary& library() const { return library_; }
    // Why nothing is bound, in words.
    const std::string& failure() const { return failure_; }

  private:
    HMODULE module_ = nullptr;
    BoundLibrary library_;
    std::string failure_;
};

// The character that names the image's library: the last digit of its type field.
char TypeCharacter(const ProbeImageBytes& image);

// The library file name for a probe type 2, 3 or 6 as the type character.
char TypeCharacterOf(int probeType);
