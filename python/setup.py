"""pip install ./python: the package with its compiled core and the library.

CMake builds the core and the library from the sources one folder up, with
Debian's pybind11 and compilers; there is nothing to fetch, so the build
needs no isolation (pip install --no-build-isolation ./python)."""
from __future__ import annotations

import os
import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCES = pathlib.Path(__file__).resolve().parent.parent


class CMakeBuild(build_ext):
    """Builds the package's layout with CMake and takes its compiled files."""

    def build_extension(self, ext: Extension) -> None:
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        subprocess.check_call(["cmake", "-S", str(SOURCES), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                               "-DVX_BENCH=OFF", "-DBUILD_TESTING=OFF", f"-DPython_EXECUTABLE={sys.executable}"])
        jobs = str(os.cpu_count() or 1)
        subprocess.check_call(["cmake", "--build", str(build), "--target", "vornexdo1m_python", "-j", jobs])
        laid_out = build / "python" / "vornexdo1m"
        target = pathlib.Path(self.get_ext_fullpath(ext.name)).parent
        target.mkdir(parents=True, exist_ok=True)
        for compiled in [*laid_out.glob("_core*.so"), laid_out / "libVORNEXDO1M.so"]:
            shutil.copy2(compiled, target / compiled.name)


setup(
    name="vornexdo1m",
    version="1.0",
    description="Designed experiments: optimal, orthogonal, response-surface, mixture and sensory designs",
    packages=["vornexdo1m"],
    package_data={"vornexdo1m": ["py.typed"]},
    ext_modules=[Extension("vornexdo1m._core", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    python_requires=">=3.9",
    install_requires=["numpy", "pandas"],
    extras_require={"plots": ["matplotlib"]},
    zip_safe=False,
)
