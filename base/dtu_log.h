// Diagnostic log: every record is appended to "./log.txt" (created with mode
// 0600), the file is opened for appending and closed again for each record,
// so a crash never loses the records written before it. Records from
// different threads never interleave. A log that cannot be opened is reported
// once per run on standard error.
#pragma once

#include <string>

// Turns a compiler function signature ("void Foo::Bar(int) const") into the
// qualified name the log prints ("Foo::Bar").
std::string DtuQualifiedFunctionName(const char *pretty_function);

// Appends one record: "[<func>,<line>]# " + formatted message + "\n".
void DtuLogWrite(const char *func, int line, const char *fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// Where the records go; "./log.txt" unless a test or tool points it elsewhere.
void DtuLogSetPath(const std::string &path);
std::string DtuLogGetPath();

#define DTU_LOG(...) \
  DtuLogWrite(DtuQualifiedFunctionName(__PRETTY_FUNCTION__).c_str(), __LINE__, __VA_ARGS__)
