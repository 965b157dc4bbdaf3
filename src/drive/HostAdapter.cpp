// src/drive/HostAdapter.cpp
#include "drive/HostAdapter.h"

CHostAdapter::CHostAdapter() : m_nBusType(kBusTypeNotSet), m_nPortNumber(-1) {}

// Copies the groups record by record, then the name, bus type and port number.
CHostAdapter::CHostAdapter(const CHostAdapter& other)
    : m_Targets(other.m_Targets), m_nBusType(other.m_nBusType), m_nPortNumber(other.m_nPortNumber),
      m_strName(other.m_strName)
{
}

// Assignment to itself copies only the name, bus type and port number, which leaves the adapter as it was.
CHostAdapter& CHostAdapter::operator=(const CHostAdapter& other)
{
    if (this != &other)
        m_Targets = other.m_Targets;
    m_strName = other.m_strName;
    m_nBusType = other.m_nBusType;
    m_nPortNumber = other.m_nPortNumber;
    return *this;
}

CHostAdapter::~CHostAdapter() {}
