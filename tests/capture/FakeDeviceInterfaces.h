// tests/capture/FakeDeviceInterfaces.h
// Fake control interfaces of capture devices, attached to the fake filters (FakeFilters.h) through their layouts'
// further interfaces: a pin's stream configuration with its capabilities, the filter's video control with frame
// rates, and a TV tuner with its property set. Each fake records what the code under test asked of it.
#ifndef TAVISK_TESTS_CAPTURE_FAKEDEVICEINTERFACES_H
#define TAVISK_TESTS_CAPTURE_FAKEDEVICEINTERFACES_H

#include <windows.h>
#include <dshow.h>
#include <ks.h>

#include <string>
#include <utility>
#include <vector>

namespace capture_test {

// Reference counting shared by the fakes; a fake starts with one reference held by its creator.
class FakeUnknownBase {
public:
    virtual ~FakeUnknownBase() = default;
    LONG refs = 1;

protected:
    ULONG DoAddRef() { return ULONG(++refs); }
    ULONG DoRelease()
    {
        const LONG left = --refs;
        if (left == 0)
            delete this;
        return ULONG(left);
    }
};

// A fake of one interface I, counted as above; QueryInterface answers IUnknown and I through Answer.
template <class I>
class FakeCounted : public FakeUnknownBase, public I {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return DoAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return DoRelease(); }

protected:
    // QueryInterface's answer when I's IID is `own`.
    HRESULT Answer(REFIID iid, REFIID own, void** ppv)
    {
        *ppv = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, own))
            return E_NOINTERFACE;
        *ppv = static_cast<I*>(this);
        DoAddRef();
        return S_OK;
    }
};

// One media type with its format block and the capability structure GetStreamCaps writes.
struct FakeMediaType {
    GUID majorType = GUID_NULL;
    GUID subType = GUID_NULL;
    GUID formatType = GUID_NULL;
    std::vector<BYTE> format;
    std::vector<BYTE> caps; // written to the caller, cut or padded with zeros to the size the configuration writes
    HRESULT result = S_OK;  // GetStreamCaps' answer for this index
};

// Video info blocks and capabilities as drivers hand them out; the MPEG blocks end with their sequence header.
FakeMediaType VideoInfoType(const GUID& subType, DWORD compression, LONG width, LONG height);
FakeMediaType Mpeg1Type(LONG width, LONG height, DWORD sequenceHeaderBytes = 0);
FakeMediaType Mpeg2Type(LONG width, LONG height, DWORD sequenceHeaderBytes = 0);
FakeMediaType PcmType(WORD channels, DWORD samplesPerSecond, WORD bitsPerSample, WORD extraSize = 0);
// The VIDEO_STREAM_CONFIG_CAPS of a type: its standard, frame intervals and bit rates.
void SetVideoCaps(FakeMediaType& type, ULONG videoStandard, LONGLONG minInterval, LONGLONG maxInterval, LONG minBits,
                  LONG maxBits);

class FakeStreamConfig final : public FakeCounted<IAMStreamConfig> {
public:
    std::vector<FakeMediaType> capabilities;
    int capsSize = sizeof(VIDEO_STREAM_CONFIG_CAPS); // what GetNumberOfCapabilities announces
    FakeMediaType current;                           // GetFormat's answer
    HRESULT getFormatResult = S_OK;
    HRESULT setFormatResult = S_OK;
    std::vector<FakeMediaType> setFormats; // every SetFormat, as given
    LONG outstandingTypes = 0;             // media types handed out and not given back
    // Bytes GetStreamCaps writes; -1 writes the announced size, another value makes a driver that announces one size
    // and writes another.
    int capsWritten = -1;
    int streamCapsCalls = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return Answer(iid, IID_IAMStreamConfig, ppv);
    }
    HRESULT STDMETHODCALLTYPE SetFormat(AM_MEDIA_TYPE* pmt) override;
    HRESULT STDMETHODCALLTYPE GetFormat(AM_MEDIA_TYPE** ppmt) override;
    HRESULT STDMETHODCALLTYPE GetNumberOfCapabilities(int* pCount, int* pSize) override;
    HRESULT STDMETHODCALLTYPE GetStreamCaps(int index, AM_MEDIA_TYPE** ppmt, BYTE* pCaps) override;

private:
    // Rides in pUnk of every media type handed out, so that giving a type back is counted.
    struct TypeCounter : IUnknown {
        LONG* count = nullptr;
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override
        {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++*count); }
        ULONG STDMETHODCALLTYPE Release() override { return ULONG(--*count); }
    };
    AM_MEDIA_TYPE* MakeMediaType(const FakeMediaType& type);
    TypeCounter m_counter;
};

// The frame rates a device offers per capability and size.
class FakeVideoControl final : public FakeCounted<IAMVideoControl> {
public:
    struct Entry {
        LONG index;
        LONG width;
        LONG height;
        std::vector<LONGLONG> intervals;
    };
    std::vector<Entry> rates;
    int calls = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return Answer(iid, IID_IAMVideoControl, ppv);
    }
    HRESULT STDMETHODCALLTYPE GetCaps(IPin*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMode(IPin*, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMode(IPin*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentActualFrameRate(IPin*, LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMaxAvailableFrameRate(IPin*, LONG, SIZE, LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFrameRateList(IPin* pin, LONG index, SIZE size, LONG* pCount,
                                               LONGLONG** ppList) override;
};

// A TV tuner: IAMTVTuner with its answers and a property set with the tuner's mode caps and frequency.
class FakeTvTuner final : public FakeUnknownBase, public IAMTVTuner, public IKsPropertySet {
public:
    HRESULT putChannelResult = S_OK;
    std::vector<LONG> channels;                    // put_Channel calls
    std::vector<LONG> countryCodes;                // put_CountryCode calls
    std::vector<LONG> tuningSpaces;                // put_TuningSpace calls
    std::vector<std::pair<LONG, LONG>> inputTypes; // put_InputType (index, type)
    HRESULT putInputTypeResult = S_OK;
    LONG connectInput = 0;
    HRESULT connectInputResult = S_OK;
    LONG availableFormats = 0;
    LONG tvFormat = 0;
    TunerInputType inputType = TunerInputCable;
    LONG videoFrequency = 0;
    HRESULT videoFrequencyResult = S_OK;
    bool propertySet = true; // IKsPropertySet offered
    DWORD modeSupport = KSPROPERTY_SUPPORT_GET | KSPROPERTY_SUPPORT_SET;
    ULONG minFrequency = 0;
    ULONG maxFrequency = 0;
    ULONG strategy = 0;
    HRESULT setResult = S_OK;
    std::vector<std::pair<ULONG, ULONG>> frequencies; // the frequency and tuning flags of each Set

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return DoAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return DoRelease(); }
    // IAMTuner
    HRESULT STDMETHODCALLTYPE put_Channel(LONG channel, LONG, LONG) override;
    HRESULT STDMETHODCALLTYPE get_Channel(LONG*, LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ChannelMinMax(LONG* pMin, LONG* pMax) override;
    HRESULT STDMETHODCALLTYPE put_CountryCode(LONG code) override;
    HRESULT STDMETHODCALLTYPE get_CountryCode(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_TuningSpace(LONG space) override;
    HRESULT STDMETHODCALLTYPE get_TuningSpace(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Logon(HANDLE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Logout() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SignalPresent(LONG* pStrength) override;
    HRESULT STDMETHODCALLTYPE put_Mode(AMTunerModeType) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Mode(AMTunerModeType*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAvailableModes(LONG* pModes) override;
    HRESULT STDMETHODCALLTYPE RegisterNotificationCallBack(IAMTunerNotification*, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnRegisterNotificationCallBack(IAMTunerNotification*) override { return E_NOTIMPL; }
    // IAMTVTuner
    HRESULT STDMETHODCALLTYPE get_AvailableTVFormats(LONG* pFormats) override;
    HRESULT STDMETHODCALLTYPE get_TVFormat(LONG* pFormat) override;
    HRESULT STDMETHODCALLTYPE AutoTune(LONG, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StoreAutoTune() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_NumInputConnections(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_InputType(LONG index, TunerInputType type) override;
    HRESULT STDMETHODCALLTYPE get_InputType(LONG index, TunerInputType* pType) override;
    HRESULT STDMETHODCALLTYPE put_ConnectInput(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ConnectInput(LONG* pIndex) override;
    HRESULT STDMETHODCALLTYPE get_VideoFrequency(LONG* pFrequency) override;
    HRESULT STDMETHODCALLTYPE get_AudioFrequency(LONG*) override { return E_NOTIMPL; }
    // IKsPropertySet
    HRESULT STDMETHODCALLTYPE Set(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID pData, DWORD size) override;
    HRESULT STDMETHODCALLTYPE Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID pData, DWORD size,
                                  DWORD* pReturned) override;
    HRESULT STDMETHODCALLTYPE QuerySupported(REFGUID set, DWORD id, DWORD* pSupport) override;
};

// A file writer's file name.
class FakeFileSink final : public FakeCounted<IFileSinkFilter> {
public:
    std::wstring fileName;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return Answer(iid, IID_IFileSinkFilter, ppv);
    }
    HRESULT STDMETHODCALLTYPE SetFileName(LPCOLESTR name, const AM_MEDIA_TYPE*) override
    {
        fileName = name != nullptr ? name : L"";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR*, AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
};

// Holds a fake's creation reference for a test; hands the object to layouts as an IUnknown.
template <class T>
class FakeRef {
public:
    FakeRef() : m_p(new T) {}
    ~FakeRef() { m_p->Release(); }
    FakeRef(const FakeRef&) = delete;
    FakeRef& operator=(const FakeRef&) = delete;
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    template <class I>
    std::pair<IID, IUnknown*> As(REFIID iid) const
    {
        return {iid, static_cast<I*>(m_p)};
    }

private:
    T* m_p;
};

} // namespace capture_test

#endif
