/* libJpgToBmp: the game's JPEG decoder. It turns JPEG bytes into a device-independent bitmap
 * pixel array: 24 bits per pixel in blue-green-red order, rows bottom-up, each row padded to a
 * multiple of 4 bytes. Compiles as C and as C++; the names have C linkage. */
#ifndef JPGTOBMP_H
#define JPGTOBMP_H

#if defined(__GNUC__) || defined(__clang__)
#define JPGTOBMP_API __attribute__((visibility("default")))
#else
#define JPGTOBMP_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The information record the caller hands to both calls: a 40-byte BITMAPINFOHEADER
 * (little-endian) describing the image as it will be decoded, followed by 12 bytes that belong
 * to the library. Pass the record from GetJpgInfo back to JpgToBmp unchanged. */
#define JPGTOBMP_INFO_SIZE 52

/* Room of g_strJpgMessage, terminating NUL included. */
#define JPGTOBMP_MESSAGE_SIZE 256

/* Images larger than this on either side are refused. */
#define JPGTOBMP_MAX_SIDE 16384

/* Reads the JPEG header and fills the record: biWidth, biHeight (positive), biBitCount 24,
 * biSizeImage (bytes of the decoded pixel array), biClrUsed 0. Returns non-zero on success;
 * on failure the header is zeroed apart from biSize and g_strJpgMessage says why. */
JPGTOBMP_API int GetJpgInfo(void* info, const unsigned char* bytes, unsigned int length);

/* Decodes the bytes into out, which must hold outSize >= biSizeImage bytes. Returns non-zero
 * on success; on failure g_strJpgMessage says why. A damaged or truncated image fails as a
 * whole: no partly decoded picture is reported as success. */
JPGTOBMP_API int JpgToBmp(void* info, const unsigned char* bytes, unsigned int length,
                          unsigned char* out, unsigned int outSize);

/* The description of the last failure of either call, NUL-terminated. */
JPGTOBMP_API extern char g_strJpgMessage[];

#ifdef __cplusplus
}
#endif

#endif /* JPGTOBMP_H */
