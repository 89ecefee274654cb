#pragma once

#include "common/errors.h"

namespace fudekko {

// Every failure of the GIF encoder; the message is one of its fixed English texts.
class GifError : public Error {
 public:
  using Error::Error;
};

}  // namespace fudekko
