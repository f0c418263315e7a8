// The version text on Windows: the FileVersion string of the executable's
// own version resource, read through version.dll.
#include "cli/usage.h"

#include <windows.h>

typedef DWORD(WINAPI *info_size_fn)(LPCSTR, LPDWORD);
typedef BOOL(WINAPI *info_fn)(LPCSTR, DWORD, DWORD, LPVOID);
typedef BOOL(WINAPI *query_fn)(LPCVOID, LPCSTR, LPVOID *, PUINT);

struct version_api {
	info_size_fn size;
	info_fn info;
	query_fn query;
};

// GetProcAddress's result as the function type it really has; the cast goes
// through the generic function pointer type so that no warning is due.
template <class F> static F function_of(HMODULE library, const char *name)
{
	return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// Copies the FileVersion string of the version block into buffer.
static void copy_file_version(const version_api *api, LPCVOID block, char *buffer,
			      size_t capacity)
{
	char *text = nullptr;
	UINT length = 0;
	if (api->query(block, "\\StringFileInfo\\040904b0\\FileVersion",
		       reinterpret_cast<LPVOID *>(&text), &length) && text != nullptr)
		lstrcpynA(buffer, text, static_cast<int>(capacity - 1));
}

// Reads the version block of the file at path into global memory and takes
// the version text from it.
static void read_version_block(const version_api *api, const char *path, char *buffer,
			       size_t capacity)
{
	DWORD handle = 0;
	DWORD size = api->size(path, &handle);
	if (size == 0)
		return;
	HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
	if (memory == nullptr)
		return;
	LPVOID block = GlobalLock(memory);
	if (block != nullptr) {
		if (api->info(path, handle, size, block))
			copy_file_version(api, block, buffer, capacity);
		GlobalUnlock(memory);
	}
	GlobalFree(memory);
}

void query_file_version(char *buffer, size_t capacity)
{
	char path[MAX_PATH];
	if (capacity < 2)
		return;
	if (GetModuleFileNameA(GetModuleHandleA(nullptr), path, sizeof path) == 0)
		return;
	HMODULE library = LoadLibraryA("version.dll");
	if (library == nullptr)
		return;
	version_api api = {function_of<info_size_fn>(library, "GetFileVersionInfoSizeA"),
			   function_of<info_fn>(library, "GetFileVersionInfoA"),
			   function_of<query_fn>(library, "VerQueryValueA")};
	if (api.size != nullptr && api.info != nullptr && api.query != nullptr)
		read_version_block(&api, path, buffer, capacity);
	FreeLibrary(library);
}
