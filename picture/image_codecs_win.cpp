// JPEG and PNG through the Windows Imaging Component: the container's own
// decoder over a stream on the bytes, its first frame converted to RGBA.
#include "picture/image_codecs.h"

#include <windows.h>
// After windows.h, which they build on.
#include <objbase.h>
#include <wincodec.h>

#include <climits>

namespace {

// Releases a COM interface when it goes out of scope.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (ptr_) ptr_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T** Receive() { return &ptr_; }
  T* operator->() const { return ptr_; }
  T* Get() const { return ptr_; }

 private:
  T* ptr_ = nullptr;
};

// COM for this thread while the decoder runs, unless the caller has already
// set it up (in whatever apartment: then the caller's stays in force).
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

TPicture DecodeWith(const GUID& container, const std::string& bytes) {
  if (bytes.empty() || bytes.size() > UINT_MAX) return {};
  ComScope com;
  if (!com.Usable()) return {};
  ComRef<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Receive())))) {
    return {};
  }
  ComRef<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.Receive())) ||
      FAILED(stream->InitializeFromMemory(
          reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())), static_cast<DWORD>(bytes.size())))) {
    return {};
  }
  // The decoder of the form the caller recognised, not whatever the bytes
  // resemble, so both platforms refuse the same files.
  ComRef<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoder(container, nullptr, decoder.Receive())) ||
      FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand))) {
    return {};
  }
  ComRef<IWICBitmapFrameDecode> frame;
  UINT width = 0;
  UINT height = 0;
  if (FAILED(decoder->GetFrame(0, frame.Receive())) || FAILED(frame->GetSize(&width, &height)) ||
      !PictureSizeAllowed(width, height)) {
    return {};
  }
  ComRef<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.Receive())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppRGBA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return {};
  }
  TPicture picture = AllocatePicture(width, height);
  if (picture.Empty() ||
      FAILED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(picture.rgba.size()),
                                   picture.rgba.data()))) {
    return {};
  }
  return picture;
}

}  // namespace

TPicture DecodeJpeg(const std::string& bytes) { return DecodeWith(GUID_ContainerFormatJpeg, bytes); }

TPicture DecodePng(const std::string& bytes) { return DecodeWith(GUID_ContainerFormatPng, bytes); }
