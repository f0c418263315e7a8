// The version text on Windows: the FileVersion string of the running
// executable's own version resource, read from the loaded module, so that
// it is found from any install path.
#include "platform/platform.h"

#include <windows.h>

// Resource type and name of a version resource (RT_VERSION, VS_VERSION_INFO).
constexpr WORD VERSION_RESOURCE = 16;
constexpr WORD VERSION_INFO_NAME = 1;

// Most characters of the version text taken; the banner holds fewer.
constexpr int VERSION_TEXT_MAX = 1024;

typedef BOOL(WINAPI *query_fn)(LPCVOID, LPCWSTR, LPVOID *, PUINT);

// GetProcAddress's result as the function type it really has; the cast goes
// through the generic function pointer type so that no warning is due.
template <class F> static F function_of(HMODULE library, const char *name)
{
	return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// Copies the FileVersion string of the version block into buffer, as UTF-8.
static void copy_file_version(query_fn query, LPCVOID block, char *buffer, size_t capacity)
{
	wchar_t *text = nullptr;
	UINT length = 0;
	if (!query(block, L"\\StringFileInfo\\040904b0\\FileVersion",
		   reinterpret_cast<LPVOID *>(&text), &length) ||
	    text == nullptr)
		return;
	int wide = lstrlenW(text) < VERSION_TEXT_MAX ? lstrlenW(text) : VERSION_TEXT_MAX;
	char narrow[3 * VERSION_TEXT_MAX + 1];
	int n = WideCharToMultiByte(CP_UTF8, 0, text, wide, narrow, sizeof narrow - 1, nullptr,
				    nullptr);
	narrow[n > 0 ? n : 0] = '\0';
	lstrcpynA(buffer, narrow, static_cast<int>(capacity - 1));
}

// Queries a copy of the resource in global memory: the version API reads
// its blocks from writable memory of its own.
static void query_block(query_fn query, const void *resource, DWORD size, char *buffer,
			size_t capacity)
{
	HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
	if (memory == nullptr)
		return;
	LPVOID block = GlobalLock(memory);
	if (block != nullptr) {
		CopyMemory(block, resource, size);
		copy_file_version(query, block, buffer, capacity);
		GlobalUnlock(memory);
	}
	GlobalFree(memory);
}

void query_file_version(char *buffer, size_t capacity)
{
	if (capacity < 2)
		return;
	HMODULE self = GetModuleHandleW(nullptr);
	HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(VERSION_INFO_NAME),
				    MAKEINTRESOURCEW(VERSION_RESOURCE));
	HGLOBAL loaded = found != nullptr ? LoadResource(self, found) : nullptr;
	const void *resource = loaded != nullptr ? LockResource(loaded) : nullptr;
	DWORD size = found != nullptr ? SizeofResource(self, found) : 0;
	if (resource == nullptr || size == 0)
		return;
	HMODULE library = LoadLibraryW(L"version.dll");
	if (library == nullptr)
		return;
	query_fn query = function_of<query_fn>(library, "VerQueryValueW");
	if (query != nullptr)
		query_block(query, resource, size, buffer, capacity);
	FreeLibrary(library);
}
