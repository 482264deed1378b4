// One month for the tool and for the probe libraries it binds, while an object
// of this lives: the tool's clock is set to it, and ProbeIsCalibrated of every
// library bound meanwhile answers at it by the libraries' own rule, from the
// record the real library decoded. Nothing then depends on the wall clock.
#pragma once

#include "calibration_period.h"
#include "library_loader.h"

class InjectedMonth {
  public:
    explicit InjectedMonth(probe::YearMonth month);
    ~InjectedMonth();
    InjectedMonth(const InjectedMonth&) = delete;
    InjectedMonth& operator=(const InjectedMonth&) = delete;

  private:
    LibraryLoaderApi previous_;
};
