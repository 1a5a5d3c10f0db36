# Builds the extension _skaldur with CMake (into build/pip, release
# settings, no tests) for the Python that runs the build, and packs it with
# the package files of python/skaldur/.
import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE = pathlib.Path(__file__).resolve().parent


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = SOURCE / "build" / "pip"
        subprocess.run(["cmake", "-S", str(SOURCE), "-B", str(build), "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release", "-DSKALDUR_BUILD_TESTS=OFF",
                        "-DSKALDUR_WERROR=ON", f"-DPython_EXECUTABLE={sys.executable}"],
                       check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "_skaldur", "-j2"], check=True)
        built = next((build / "python" / "skaldur").glob("_skaldur*.so"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    packages=["skaldur"],
    package_dir={"": "python"},
    package_data={"skaldur": ["__init__.pyi", "py.typed"]},
    ext_modules=[Extension("skaldur._skaldur", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
)
