// Registration of numeric extensions (file versions) as file types of the host, so that
// the shell opens versioned files with it; thirty versions to a file type.
#pragma once

namespace vek {

// Registers every version above the highest registered one up to version (skipping 123,
// 323 and 386, none above 999): the highest version this call registered, 0 when
// nothing was to be done or the installation data is missing.
int ntver_insure_version_registered(int version);
// The installation's command line and icon ("mavrelmsg", "vekicon"; 260 bytes each): 1
// when both are present and not empty.
int ntver_get_install_data(char* command, char* icon);
// The lasting highest registered version ("mavrelFileVers"), 0 when absent; its setter.
int ntver_highest_registered();
int ntver_set_highest_registered(int value);
// Writes file type k ("mavrelFile<k>") with its icon and open command; the name into
// name (260) and its length: the last write's result, 0 at the first failure.
int ntver_register_filetype(int k, const char* command, const char* icon, char* name,
                            int* name_length);
// Makes ".n" name the type unless the key exists (then 1): 0 above 999, and 0 when the
// write fails, with no key left behind.
int ntver_register_version(int n, const char* type_name, int name_length);

}  // namespace vek
