#pragma once
// The Win32 GDI/USER subset the system draws with. Built for Windows this is
// <windows.h> itself (plus shlwapi and oleaut32 declarations); on Linux the same names,
// argument orders and constants are declared here and implemented in software by draw/.
// Code written against this header compiles unchanged on both sides.
#include "common/win_types.h"

#ifdef _WIN32
#include <ole2.h>
#include <olectl.h>
#include <shlwapi.h>
#else
#include <cstddef>
#include <cstring>

// Handles are 32-bit values from the draw layer's handle table, carried in pointer types
// so that the compiler keeps the kinds apart, as STRICT does on Windows.
#define KAVRIN_DECLARE_HANDLE(name) \
  struct name##__ {                 \
    int unused;                     \
  };                                \
  typedef struct name##__* name
KAVRIN_DECLARE_HANDLE(HDC);
KAVRIN_DECLARE_HANDLE(HPEN);
KAVRIN_DECLARE_HANDLE(HBRUSH);
KAVRIN_DECLARE_HANDLE(HFONT);
KAVRIN_DECLARE_HANDLE(HBITMAP);
KAVRIN_DECLARE_HANDLE(HPALETTE);
KAVRIN_DECLARE_HANDLE(HWND);
KAVRIN_DECLARE_HANDLE(HRGN);
#undef KAVRIN_DECLARE_HANDLE
typedef void* HGDIOBJ;
typedef void* HANDLE;
typedef DWORD OLE_COLOR;

#define WINAPI
#define CONST const
#define HGDI_ERROR ((HGDIOBJ)(intptr_t)-1)
#define CLR_INVALID 0xFFFFFFFF

// Raster operations (ternary codes as Win32 defines them).
#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define SRCERASE 0x00440328
#define NOTSRCCOPY 0x00330008
#define NOTSRCERASE 0x001100A6
#define MERGECOPY 0x00C000CA
#define MERGEPAINT 0x00BB0226
#define PATCOPY 0x00F00021
#define PATPAINT 0x00FB0A09
#define PATINVERT 0x005A0049
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

// Pens and brushes.
#define PS_SOLID 0
#define PS_NULL 5

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17
#define DEFAULT_PALETTE 15

// Background modes.
#define TRANSPARENT 1
#define OPAQUE 2

// DrawText formats.
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800

// Clip regions: the kind of region a clipping call leaves.
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3

// Device capabilities.
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define LOGPIXELSX 88
#define LOGPIXELSY 90

// Font creation.
#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define DEFAULT_PITCH 0
#define FF_DONTCARE 0
#define LF_FACESIZE 32

// Object types (GetObjectType).
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10

// DIBs.
#define BI_RGB 0
#define DIB_RGB_COLORS 0

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct TEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

struct LOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
};

// Device contexts.
HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const void* init);
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
int GetDeviceCaps(HDC hdc, int index);
// Clipping: drawing changes only the pixels inside the DC's clip region (block copies clip
// their destination, never their source). Clip regions here are rectangles: no region
// objects exist, so SelectClipRgn accepts only null, which removes the clip.
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int SelectClipRgn(HDC hdc, HRGN rgn);

// Objects.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
BOOL DeleteObject(HGDIOBJ obj);
HGDIOBJ GetStockObject(int index);
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
DWORD GetObjectType(HGDIOBJ obj);
int GetObjectA(HANDLE obj, int size, LPVOID out);

// Pens, brushes, lines and fills.
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old);
BOOL LineTo(HDC hdc, int x, int y);
int FillRect(HDC hdc, const RECT* rc, HBRUSH brush);

// Bitmaps and block copies.
HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits);
int GetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info, UINT usage);
int SetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
              UINT usage);
BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop);
BOOL StretchBlt(HDC dst, int xDst, int yDst, int wDst, int hDst, HDC src, int xSrc, int ySrc, int wSrc,
                int hSrc, DWORD rop);
COLORREF GetPixel(HDC hdc, int x, int y);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);

// Colour state.
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);

// Palettes (a true-colour surface: they carry no state the pixels depend on).
HPALETTE CreateHalftonePalette(HDC hdc);
HPALETTE SelectPalette(HDC hdc, HPALETTE pal, BOOL forceBackground);
UINT RealizePalette(HDC hdc);
HRESULT OleTranslateColor(OLE_COLOR color, HPALETTE pal, COLORREF* out);

// Text.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);
HFONT CreateFontIndirectA(const LOGFONTA* lf);
BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* tm);
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, SIZE* size);
int DrawTextA(HDC hdc, LPCSTR text, int count, LPRECT rc, UINT format);
BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int count);

// Windows and rectangles.
BOOL InvalidateRect(HWND hwnd, const RECT* rc, BOOL erase);
BOOL CopyRect(LPRECT dst, const RECT* src);
BOOL SetRect(LPRECT rc, int left, int top, int right, int bottom);

// kernel32, shlwapi.
int MulDiv(int number, int numerator, int denominator);
#define RtlMoveMemory(dst, src, len) std::memmove((dst), (src), (len))
BOOL PathFileExistsA(LPCSTR path);

// Handles travel as 32-bit Longs through the chart (as on Windows, where GDI and USER
// handles are 32-bit significant).
inline LONG HandleToLong(const void* h) { return (LONG)(intptr_t)h; }
inline void* LongToHandle(LONG h) { return (void*)(intptr_t)h; }

#endif  // _WIN32
