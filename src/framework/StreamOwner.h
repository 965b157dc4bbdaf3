// src/framework/StreamOwner.h
// The owner of a C stream: a std::unique_ptr that closes the stream with fclose when it goes. Files are read and
// written either through CFile/CStdioFile (File.h) or through this owner.
#ifndef TAVISK_FRAMEWORK_STREAMOWNER_H
#define TAVISK_FRAMEWORK_STREAMOWNER_H

#include <cstdio>
#include <memory>

struct CStreamCloser {
    void operator()(std::FILE* pStream) const;
};

using CStreamOwner = std::unique_ptr<std::FILE, CStreamCloser>;

// fopen into an owner; the owner is empty when the file cannot be opened.
CStreamOwner OpenStream(const char* pszPath, const char* pszMode);

// Closes the stream now and empties the owner; true when fclose succeeded (buffered data reached the file).
// False for an empty owner.
bool CloseStream(CStreamOwner& stream);

#endif
