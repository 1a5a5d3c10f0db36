# The package exports every name of the extension, and the stub declares
# each with its signature.
import ast
import pathlib

import skaldur
from skaldur import _skaldur, jobs


# Catches a function bound in C++ or written in Python but not exported, or
# missing from the stub.
def test_every_name_is_exported_and_declared():
    public = {name for name in dir(_skaldur) if not name.startswith("_")}
    public |= {name for name in dir(jobs) if not name.startswith("_")
               and getattr(getattr(jobs, name), "__module__", None) == jobs.__name__}
    assert set(skaldur.__all__) == public
    stub = pathlib.Path(skaldur.__file__).with_name("__init__.pyi")
    tree = ast.parse(stub.read_text())
    declared = {node.name for node in tree.body
                if isinstance(node, (ast.FunctionDef, ast.ClassDef))}
    declared |= {t.id for node in tree.body if isinstance(node, ast.Assign)
                 for t in node.targets}
    assert public <= declared
