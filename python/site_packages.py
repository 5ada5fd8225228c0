"""Prints where a Python package goes under an install prefix, relative to it: the folder of
Python's own search path under the prefix (lib/python3.11/dist-packages on Debian for
/usr/local), else lib/pythonX.Y/site-packages.   python3 site_packages.py PREFIX"""

import os
import site
import sys
import sysconfig

prefix = os.path.abspath(sys.argv[1])
for path in site.getsitepackages() + [sysconfig.get_path("platlib")]:
    if path.startswith(prefix + "/"):
        print(os.path.relpath(path, prefix))
        break
else:
    scheme = {"platbase": prefix, "base": prefix}
    print(os.path.relpath(sysconfig.get_path("platlib", "posix_prefix", scheme), prefix))
