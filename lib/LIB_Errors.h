// The runtime's I/O error: every file or folder failure travels as this exception.
#pragma once
#include <stdexcept>
#include <string>

// "File not found" for 2 ... "I/O error %d" for codes without a text of their own.
std::string IOErrorText(int code);

class EInOutError : public std::runtime_error {
 public:
  explicit EInOutError(int code) : std::runtime_error(IOErrorText(code)), ErrorCode(code) {}
  int ErrorCode;
};
