// Windows file-name wildcard rules, for listings on systems that lack them and
// for the name patterns of the exclusions on every system.
#pragma once

// True when `name` matches `pattern` as a Windows directory listing would
// match it: letters compare without regard to ASCII case, '*' matches any run
// of characters, '?' matches one character (or nothing at a dot or at the end
// of the name), trailing dots and wildcards may match the end of the name, and
// "*.*" matches every name, also names without a dot.
bool MatchesWildcard(const char* pattern, const char* name);
