// The one error kind of the movie player: a movie file that cannot be read as SWF.
#pragma once

#include "common/errors.h"

namespace wd::swf {

class FormatError : public wd::Error {
 public:
  using Error::Error;
  const char* kind() const noexcept override { return "ESwfFormatError"; }
};

}  // namespace wd::swf
