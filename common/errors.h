// Errors of the program. Every error is an exception derived from wd::Error,
// carrying the message the user sees and a kind name for the final error report.
#pragma once

#include <stdexcept>
#include <string>

namespace wd {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
  // The error's kind, shown in the final report when an error ends the program.
  virtual const char* kind() const noexcept { return "Exception"; }
};

// A text that does not convert to the number it should hold.
class ConvertError : public Error {
 public:
  using Error::Error;
  const char* kind() const noexcept override { return "EConvertError"; }
};

// A file operation that the system refused; carries the system's error code.
class InOutError : public Error {
 public:
  InOutError(const std::string& message, unsigned long code) : Error(message), code_(code) {}
  unsigned long code() const noexcept { return code_; }
  const char* kind() const noexcept override { return "EInOutError"; }

 private:
  unsigned long code_;
};

// A settings file the system would not let us write.
class IniFileError : public Error {
 public:
  using Error::Error;
  const char* kind() const noexcept override { return "EIniFileException"; }
};

// A file that exists but cannot be opened or read.
class FileOpenError : public Error {
 public:
  using Error::Error;
  const char* kind() const noexcept override { return "EFOpenError"; }
};

// A floating-point result outside what the figures can hold.
class MathError : public Error {
 public:
  using Error::Error;
  const char* kind() const noexcept override { return "EInvalidOp"; }
};

// A failure reported by the operating system (message from the system's own text).
class OSError : public Error {
 public:
  OSError(const std::string& message, unsigned long code) : Error(message), code_(code) {}
  unsigned long code() const noexcept { return code_; }
  const char* kind() const noexcept override { return "EOSError"; }

 private:
  unsigned long code_;
};

}  // namespace wd
