/* Drives a top-level window of a program running under Wine, for the Windows check:
 *   wine-window wait TITLE SECONDS     until a visible window whose title starts with TITLE
 *   wine-window shot TITLE OUT.bmp     its client area as on the screen, a 24-bit BMP
 *   wine-window click TITLE X Y        a left click at client coordinates X, Y
 *   wine-window dblclick TITLE X Y     a double click there
 *   wine-window keys TITLE KEYS        key presses (digits, n for Enter)
 * Exit status 0 on success, 1 when no such window is found. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

static const wchar_t* g_title;
static HWND g_found;

static BOOL CALLBACK Match(HWND hwnd, LPARAM unused) {
  (void)unused;
  wchar_t text[512];
  if (!IsWindowVisible(hwnd) || GetWindowTextW(hwnd, text, 512) == 0) return TRUE;
  if (wcsncmp(text, g_title, wcslen(g_title)) != 0) return TRUE;
  g_found = hwnd;
  return FALSE;
}

static HWND Find(const wchar_t* title) {
  g_title = title;
  g_found = NULL;
  EnumWindows(Match, 0);
  return g_found;
}

static int Shot(HWND hwnd, const wchar_t* path) {
  /* The client area: without a window manager nobody draws the frame Windows reserves. */
  RECT r;
  GetClientRect(hwnd, &r);
  POINT origin = {0, 0};
  ClientToScreen(hwnd, &origin);
  const int w = r.right, h = r.bottom;
  HDC screen = GetDC(NULL);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO info = {0};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = NULL;
  HBITMAP bmp = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
  SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  const DWORD stride = ((DWORD)w * 3 + 3) & ~3u, size = stride * (DWORD)h;
  BITMAPFILEHEADER file = {0};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + size;
  FILE* f = _wfopen(path, L"wb");
  if (f == NULL) return 1;
  fwrite(&file, sizeof file, 1, f);
  fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f);
  fwrite(bits, 1, size, f);
  fclose(f);
  DeleteDC(mem);
  ReleaseDC(NULL, screen);
  DeleteObject(bmp);
  return 0;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  if (wcscmp(argv[1], L"wait") == 0 && argc == 4) {
    for (int i = 0; i < _wtoi(argv[3]) * 10; ++i) {
      if (Find(argv[2]) != NULL) return 0;
      Sleep(100);
    }
    return 1;
  }
  HWND hwnd = Find(argv[2]);
  if (hwnd == NULL) return 1;
  if (wcscmp(argv[1], L"shot") == 0 && argc == 4) return Shot(hwnd, argv[3]);
  if (wcscmp(argv[1], L"click") == 0 && argc == 5) {
    const LPARAM at = MAKELPARAM(_wtoi(argv[3]), _wtoi(argv[4]));
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
    return 0;
  }
  if (wcscmp(argv[1], L"dblclick") == 0 && argc == 5) {
    const LPARAM at = MAKELPARAM(_wtoi(argv[3]), _wtoi(argv[4]));
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
    PostMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
    return 0;
  }
  if (wcscmp(argv[1], L"keys") == 0 && argc == 4) {
    /* Virtual-key codes: digits and capital letters are their own codes, 'n' is Enter. */
    for (const wchar_t* k = argv[3]; *k; ++k) {
      const WPARAM vk = *k == L'n' ? VK_RETURN : (WPARAM)*k;
      PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
      PostMessageW(hwnd, WM_KEYUP, vk, 1 | (3u << 30));
    }
    return 0;
  }
  return 2;
}
