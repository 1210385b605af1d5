#pragma once
// The GIF reader behind the animated GIF view control: the block parser (TGifStream::DecodeData), one
// image at a time (TFrame::ReadImage) and its LZW data (TFrame::DecodePixels). It turns a byte buffer into
// plain per-frame buffers; making device bitmaps out of them is the control's business.
//
// Every byte of the stream is treated as hostile: every length is checked against what remains before it
// is used, every table index is bounded, and buffer sizes are computed in 64 bits against fixed budgets.
//
// What odd data gets:
// - Data that ends inside a block: the frames already complete are kept, and so is the frame being read,
//   with index 0 wherever no pixel was decoded; the load succeeds. A frame cut off inside its descriptor
//   or colour table is dropped. Only a header, logical screen or global colour table that is cut off fails
//   the load (code 3): there is nothing to show.
// - A minimum code size above 12: that frame is left empty (index 0, opaque) and the stream goes on.
// - A code beyond the next free code stands for the entry being defined (the previous string plus its first
//   character), and the code right after a clear code is a pixel (its low byte) whatever its value. Either
//   can make the table hold a chain of prefixes that loops or leaves the table: the frame's data stops where
//   such a chain would be followed, as if its end code had come. Repeated clear codes are skipped. Missing
//   initial clear or end codes are fine.
// - A frame whose pixel buffer would exceed MaxFrameBytes, frames that together would exceed
//   MaxStreamBytes, or an image larger than MaxImagePixels: the load fails (code 3) before allocating.
//   With DeferFrames, frames beyond the stream budget are kept without their pixels instead, for DecodeFrame
//   to decode as they are needed, unless their data could not fill them (then the load fails).

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Hard limits. A stream can claim anything (a 38-byte file can declare a 65535 x 65535 frame), so these
// decide what we are prepared to allocate; a stream that needs more fails to load with nothing allocated.
constexpr int MaxFrames = 256;                                      // images after the 256th are ignored
constexpr int LzwTableSize = 4096;                                  // 12-bit codes
constexpr int MaxLzwCodeSize = 12;                                  // widest root set the tables can hold
constexpr std::uint64_t MaxFrameBytes = std::uint64_t{64} << 20;    // one frame's pixel buffer
constexpr std::uint64_t MaxStreamBytes = std::uint64_t{512} << 20;  // all frames' pixel and mask buffers
constexpr std::uint64_t MaxImagePixels = std::uint64_t{64} << 20;   // ImageWidth x ImageHeight
constexpr std::int64_t ProgressMinPixels = 100000;                  // smaller frames report no rows

// LastError codes the reader leaves (the view control adds its own).
enum : std::uint8_t {
    GifOk = 0,
    GifCancelled = 1,  // the OnProgress handler cleared KeepOnProcessing
    GifEmptyData = 2,  // nothing to decode
    GifDecodeFailed = 3,
};

// Why a decode failed (LastError says the code; this says the cause).
enum class TGifFault : std::uint8_t {
    None,
    EmptyData,
    BadSignature,     // the first three bytes are not "GIF"
    TruncatedHeader,  // the data ends inside the header, the logical screen or the global colour table
    FrameTooLarge,    // a frame's pixel buffer would exceed the frame budget (MaxFrameBytes)
    StreamTooLarge,   // all frames' pixel and mask buffers would exceed the stream budget (MaxStreamBytes)
    ImageTooLarge,    // ImageWidth x ImageHeight exceeds MaxImagePixels
    OutOfMemory,
    Cancelled,
};

// Why the block loop ended. All of these keep the frames read so far and the load succeeds.
enum class TGifStop : std::uint8_t {
    Trailer,         // 0x3B
    EndOfData,       // the data ended between blocks
    TruncatedBlock,  // the data ended inside a block; the frame being read, if any, is kept
    UnknownBlock,    // a byte that starts no block
    FrameLimit,      // a 257th image
};

// How one image's LZW data ended.
enum class TLzwStatus : std::uint8_t {
    Complete,     // every pixel was decoded
    EndCode,      // an end code came before the last pixel; the rest stays at index 0
    EndOfData,    // the sub-blocks (or the file) ended before the last pixel
    BadCode,      // a code whose chain of prefixes loops or leaves the table; decoding stopped there
    BadCodeSize,  // minimum code size above MaxLzwCodeSize: the frame is left empty (all index 0)
    NoPixels,     // the frame is 0 wide or 0 high
};

using TColorTable = std::array<std::uint8_t, 768>;   // 256 RGB triples
using TPendingRecord = std::array<std::uint8_t, 6>;  // the graphic control extension from its size byte

// Called with the bytes read so far, the data size and their ratio in percent; clearing KeepOnProcessing
// abandons the decode (LastError 1).
using TProgressEvent =
    std::function<void(int BytesProcessed, int BytesToProcess, int PercentageProcessed, bool& KeepOnProcessing)>;

class TGifStream;
class TLzwDecoder;

// Whether this processor has SSE2, so that the fast decoder uses its SSE2 code (chosen at run time: the 32-bit
// build must still run on a processor without it).
bool GifReaderUsesSse2();

class TFrame {
public:
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int LocalBits = 0;  // local colour-table size exponent 1..8; 0 without one
    int Delay = 1;      // milliseconds
    std::uint8_t Disposal = 0;
    bool HasLocalColors = false;
    bool Interlaced = false;
    bool Transparent = false;
    std::uint8_t TransparentIndex = 0;
    std::array<std::uint8_t, 3> TransparentColor{};  // red, green, blue; only for transparent frames
    std::string Comment;

    // The frame's colours: its own table, or a copy of the stream's global one (which never changes once
    // the header is read, so a copy and a reference are the same thing and the copy cannot dangle).
    TColorTable Colors{};
    // Entries the frame's bitmap is built with: 2^LocalBits, or 2^ColorBits of the stream when the frame
    // was read (so an earlier frame's larger local table widens later frames that use the global one).
    int ColorCount = 1;

    // Top-down 8-bit image, rows of PixelStride (Width rounded up to 4) bytes.
    int PixelStride = 0;
    std::vector<std::uint8_t> Pixels;
    // Transparent frames only: 1 bit per pixel, 1 = transparent, leftmost pixel in bit 7, rows padded to 32
    // bits. Pixels that were never decoded are opaque.
    int MaskStride = 0;
    std::vector<std::uint8_t> MaskBits;

    TLzwStatus DataStatus = TLzwStatus::NoPixels;

    // Where the frame's LZW data starts in the stream (its minimum code size byte) and how many bytes it spans,
    // terminator included: what TGifStream::DecodeFrame decodes again.
    std::size_t DataPosition = 0;
    std::size_t DataBytes = 0;
    // Read without its pixels: Pixels and MaskBits are empty until TGifStream::DecodeFrame fills them.
    bool Deferred = false;
    // The most pixels the frame's data could hold. No LZW code stands for more than 4096 pixels, and none below
    // 12 bits for more than its width allows, so each bit holds at most 4096 / 12 pixels.
    std::uint64_t FillablePixels() const {
        return static_cast<std::uint64_t>(DataBytes) * 8 * LzwTableSize / MaxLzwCodeSize + LzwTableSize;
    }
    // Declared pixels that the data could never hold.
    std::uint64_t HollowPixels() const {
        const std::uint64_t pixels = static_cast<std::uint64_t>(Width) * static_cast<std::uint64_t>(Height);
        return pixels > FillablePixels() ? pixels - FillablePixels() : 0;
    }
    bool DataCanFill() const { return HollowPixels() == 0; }

    std::uint8_t PixelAt(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * PixelStride + x]; }
    bool IsTransparentAt(int x, int y) const {
        return Transparent && (MaskBits[static_cast<std::size_t>(y) * MaskStride + (x >> 3)] & (0x80 >> (x & 7))) != 0;
    }

    // ReadImage and DecodePixels are steps of the owner's DecodeData and read the data it is decoding; they
    // are not to be called on their own.
    //
    // Reads the image at Position (an image separator) and advances Position past its data. Returns false
    // when the byte there is not 0x2C, or when the descriptor or local colour table is cut off by the end of
    // the data (then the frame is not worth keeping). Throws on a budget or allocation failure.
    bool ReadImage(TGifStream& owner, std::size_t& Position, const TPendingRecord& record);
    // Decodes the LZW data at Position into Pixels and MaskBits and leaves Position past its terminator.
    void DecodePixels(TGifStream& owner, std::size_t& Position);
};

class TGifStream {
public:
    TGifStream();
    ~TGifStream();
    TGifStream(const TGifStream&) = delete;
    TGifStream& operator=(const TGifStream&) = delete;

    TProgressEvent OnProgress;
    // Use only the per-pixel decoder (slow); it cross-checks the fast one in tests and fuzzing.
    bool CarefulDecoding = false;
    // Keep the fast decoder to its plain code even where the processor has SSE2, as on one without it (for
    // tests and benchmarks: both must give the same frames).
    bool PlainDecoding = false;
    // The budgets a decode is held to: the view control lowers them to what its image budget leaves, tests
    // to try the limits without gigabytes.
    std::uint64_t FrameBudget = MaxFrameBytes;
    std::uint64_t StreamBudget = MaxStreamBytes;

    // Frames that would take the buffers past StreamBudget are read without their pixels (Deferred) rather than
    // failing the load, provided their data could fill them; the view decodes them as they are shown.
    bool DeferFrames = false;
    // Called with each frame as soon as it is read, its pixels decoded (unless Deferred): the view makes its
    // bitmaps at once and frees the buffers, so that no more than one frame's buffers live at a time.
    std::function<void(TFrame&)> OnFrame;

    // Parses data[0..size). On failure the frames are gone, as after ResetFrames.
    bool DecodeData(const std::uint8_t* data, std::size_t size);
    // Decodes one frame of the stream again into its Pixels and MaskBits, exactly as DecodeData would have, from the
    // same data it was parsed from (still data[0..size)). Reports no progress. False, with the buffers empty, when
    // the frame's data lies outside the data or memory runs out.
    bool DecodeFrame(const std::uint8_t* data, std::size_t size, TFrame& frame);
    // Back to the empty state every decode starts from.
    void ResetFrames();

    int FrameCount() const { return static_cast<int>(Frames.size()); }
    // 1-based, as the control numbers its frames: index must lie in 1..FrameCount().
    const TFrame& Frame(int index) const { return *Frames[static_cast<std::size_t>(index) - 1]; }

    std::vector<std::unique_ptr<TFrame>> Frames;
    int LoopCount = 1;  // passes: 1 when the stream says nothing, 0 = endless
    int ColorBits = 0;  // largest colour-table size exponent seen so far
    TColorTable GlobalColors{};
    bool HasTransparency = false;
    bool AnyInterlaced = false;
    int ScreenWidth = 0;  // the logical screen
    int ScreenHeight = 0;
    int ImageWidth = 0;  // the logical screen widened so that every frame fits
    int ImageHeight = 0;
    bool KeepOnProcessing = true;
    std::uint8_t LastError = GifOk;
    TGifFault Fault = TGifFault::None;
    TGifStop Stop = TGifStop::EndOfData;

private:
    friend class TFrame;
    struct Abort {
        TGifFault fault;
    };

    void ParseBlocks();
    // ReadImage's way out for a frame beyond the stream budget: keeps its descriptor and where its data lies, skips
    // the data. Throws when the data could not fill the frame.
    bool DeferImage(TFrame& frame, std::size_t& Position, std::uint64_t stride, std::uint64_t maskStride);
    // Reports progress with the read position at `position`; throws Abort when the handler cancels.
    void ReportProgress(std::size_t position);
    void Fail(TGifFault fault) { throw Abort{fault}; }

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t position_ = 0;
    std::uint64_t allocated_ = 0;  // pixel and mask bytes of the frames so far
    bool truncated_ = false;       // the data ended inside a block
    std::unique_ptr<TLzwDecoder> decoder_;
};
