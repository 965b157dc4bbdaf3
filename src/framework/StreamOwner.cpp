// src/framework/StreamOwner.cpp
#include "framework/StreamOwner.h"

void CStreamCloser::operator()(std::FILE* pStream) const
{
    if (pStream != nullptr)
        std::fclose(pStream);
}

CStreamOwner OpenStream(const char* pszPath, const char* pszMode)
{
    return CStreamOwner(std::fopen(pszPath, pszMode));
}

bool CloseStream(CStreamOwner& stream)
{
    std::FILE* pStream = stream.release();
    return pStream != nullptr && std::fclose(pStream) == 0;
}
