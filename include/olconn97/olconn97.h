/* The olconn97 driver library: its classes and its exported entry points.
 *
 * A host loads libolconn97.so (dlopen), asks DllGetClassObject for the class
 * factory of cDataConnector, and creates the driver object with
 * CreateInstance; everything else is reached from that object. Only
 * cDataConnector is creatable; the other classes are handed out by the
 * driver.
 *
 * Type library olconn97 {029F9597-F614-11D6-AE0D-0002A50ADC13}, version 1.0.
 */
#ifndef OLCONN97_OLCONN97_H_
#define OLCONN97_OLCONN97_H_

#include "olconn97/com.h"
#include "olconn97/hostlib.h"

/* {029F95C3-F614-11D6-AE0D-0002A50ADC13} */
inline constexpr CLSID CLSID_cDataConnector = {
    0x029F95C3, 0xF614, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};
/* {029F95C1-F614-11D6-AE0D-0002A50ADC13} */
inline constexpr CLSID CLSID_cContactRecord = {
    0x029F95C1, 0xF614, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};
/* {029F95BF-F614-11D6-AE0D-0002A50ADC13} */
inline constexpr CLSID CLSID_cContact = {
    0x029F95BF, 0xF614, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};
/* {029F95C8-F614-11D6-AE0D-0002A50ADC13} */
inline constexpr CLSID CLSID_cPIMActions = {
    0x029F95C8, 0xF614, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};
/* {029F95C6-F614-11D6-AE0D-0002A50ADC13} */
inline constexpr CLSID CLSID_cPIMAction = {
    0x029F95C6, 0xF614, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};
/* {029F95BB-F614-11D6-AE0D-0002A50ADC13} */
inline constexpr CLSID CLSID_cActionProperties = {
    0x029F95BB, 0xF614, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};
/* {029F95BD-F614-11D6-AE0D-0002A50ADC13} */
inline constexpr CLSID CLSID_cActionProperty = {
    0x029F95BD, 0xF614, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};
/* The type library: {029F9597-F614-11D6-AE0D-0002A50ADC13} */
inline constexpr GUID LIBID_olconn97 = {
    0x029F9597, 0xF614, 0x11D6, {0xAE, 0x0D, 0x00, 0x02, 0xA5, 0x0A, 0xDC, 0x13}};

/* The class factory of cDataConnector; CLASS_E_CLASSNOTAVAILABLE for any
 * other class. */
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
/* S_OK when no object of the library is alive and no lock is held. */
STDAPI DllCanUnloadNow(void);

/* Administration entry points of the reference host.
 *
 * Settings: runs one `reg` command with reg.exe's syntax on the driver's
 * settings store (QUERY, ADD, DELETE, IMPORT, EXPORT; argv[0] is the
 * operation). Output on stdout, messages on stderr; returns the exit code
 * (0 success, 1 failure or bad arguments). */
STDAPI_(int) olconn97_reg(int argc, const char* const* argv);

/* A host's own setting: the text of the value `name` of the key `key`
 * under HKEY_CURRENT_USER ("Software\\olconn97\\Phone"), read from the
 * driver's settings store as other processes last wrote it. Copies at most
 * size - 1 bytes and a NUL into `text` and returns the value's whole length
 * (call again with a larger buffer when that is not less than size); -1
 * when the key or the value does not exist. A DWORD value is given as
 * decimal text. */
STDAPI_(int) olconn97_setting(const char* key, const char* name, char* text, unsigned size);

/* The driver's identity, for a host's version line: its title, the product's
 * full name as the installation key gives it, and its version, as
 * "olconn97 (Norvale Corvanta) 1.0". Copies at most size - 1 bytes and a NUL
 * into `text` and returns the whole length, as olconn97_setting does. */
STDAPI_(int) olconn97_version(char* text, unsigned size);

/* Contact store: "folders" or "show FILE-or-ENTRYID", with --store DIR and
 * --json (argv[0] is the operation). Exit code 0 done, 1 failed, 2 bad
 * usage. */
STDAPI_(int) olconn97_store(int argc, const char* const* argv);

/* Contact cache: "rebuild", "refresh" or "status", with --json. Rebuild and
 * refresh start the driver and pump the message loop until the walk has
 * ended. Exit code 0 done, 1 failed, 2 bad usage. */
STDAPI_(int) olconn97_cache(int argc, const char* const* argv);

/* Employee directory: "import FILE.csv ... --into PATH" makes or fills an
 * SQLite directory from CSV files, one per table, all or nothing; "show
 * PATH" with --json lists its tables, columns and row counts (PATH may be a
 * Jet file). argv[0] is the operation. Exit code 0 done, 1 failed, 2 bad
 * usage. */
STDAPI_(int) olconn97_directory(int argc, const char* const* argv);

/* Demo: creates the demo contact store in `folder` (made when missing).
 * 0 created, 1 failed (the reason on stderr), 3 the store holds contacts
 * already (left as it is). */
STDAPI_(int) olconn97_demo_store(const char* folder);

/* For hosts without an event loop of their own: runs, on the calling (user
 * interface) thread, the driver's posted work and the timers that are due;
 * when nothing is due, waits for the next timer, at most max_wait_ms, and
 * runs what became due. Call it from the host's idle loop. Returns 1 while
 * the driver still has work under way (posted work, or a timer running, as
 * during a cache walk, or a drawn window that waits for its user), 0 once
 * it has none: a host that only needs the driver's work done (a
 * command-line lookup) pumps until 0. Where the driver draws its windows
 * with Qt, the pump also runs Qt's events, waiting in Qt's event loop. */
STDAPI_(int) olconn97_pump(unsigned max_wait_ms);

/* Whether the driver draws its windows (1), or runs them headless (0): the
 * Qt back end serves when the host runs a Qt application or when
 * OLCONN97_UI is "qt" and a display is named; headless, a window the user
 * should answer never appears. Called on the user interface thread. */
STDAPI_(int) olconn97_shows_windows(void);

#endif /* OLCONN97_OLCONN97_H_ */
