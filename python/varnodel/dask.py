"""The calculations of varnodel on a dask.distributed cluster.

The same calls as ``varnodel.frac``, ``varnodel.mla``, ... with ``client=`` a
``distributed.Client``: the analyses are cut into chunks, the cluster's workers run each chunk
with the module, and the results come back in analysis order, the same as a local run (but for
the date and time of the forward rows)::

    from distributed import Client, LocalCluster
    import varnodel.dask
    with LocalCluster(n_workers=4) as cluster, Client(cluster) as client:
        r = varnodel.dask.frac(frame, settings, client=client)

The workers need the module importable (the same ``PYTHONPATH`` or installation).
"""

import math
import os

import varnodel
from varnodel import Result, Settings, _data_text, _run

__all__ = list(varnodel.calculations())


def _lines(data):
    """The header and the data lines of a data file's bytes, as the reader splits them."""
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    lines = data.splitlines()
    while lines and not lines[-1].strip():
        lines.pop()
    if not lines:
        raise ValueError("the compositions hold no analysis")
    return lines[0], lines[1:]


def _run_chunk(calculation, data, settings, jobs):
    return _run(calculation, data, settings, jobs, None)._raw


def _merge(calculation, parts):
    files = {}
    for raw in parts:
        for name, text in raw["files"].items():
            if name == "_calc_param.csv":
                files[name] = text  # every chunk reports the same settings; the last one wins
            elif name not in files:
                files[name] = text
            else:
                # Each chunk's table starts with the header line.
                files[name] += text.split(b"\n", 1)[1] if b"\n" in text else b""
    first = parts[0]
    return Result({
        "calculation": calculation,
        "base": first["base"],
        "files": files,
        "log": first["log"],
        "debug": first["debug"],
        "messages": first["messages"],
        "analyses": [a for raw in parts for a in raw["analyses"]],
        "interrupted": any(raw["interrupted"] for raw in parts),
    })


def _run_on(client, calculation, compositions, settings, chunk_size, jobs):
    if client is None:
        raise ValueError("client: a distributed.Client is needed")
    if compositions is None:
        raise ValueError("compositions: a DataFrame or the path of a data file is needed")
    if isinstance(compositions, (str, os.PathLike)):
        with open(compositions, "rb") as f:
            data = f.read()
    else:
        data = _data_text(compositions).encode("utf-8")
    if settings is None:
        settings = Settings()
    elif isinstance(settings, (str, os.PathLike)):
        settings = Settings.from_file(settings)
    header, rows = _lines(data)
    if not rows:
        raise ValueError("the compositions hold no analysis")
    if chunk_size is None:
        workers = max(1, len(client.scheduler_info().get("workers", {})))
        chunk_size = math.ceil(len(rows) / (2 * workers))
    if isinstance(chunk_size, bool) or not isinstance(chunk_size, int) or chunk_size < 1:
        raise ValueError(f"chunk_size must be a whole number from 1, not {chunk_size!r}")
    chunks = [b"\n".join([header] + rows[k:k + chunk_size]) + b"\n"
              for k in range(0, len(rows), chunk_size)]
    settings = client.scatter(settings, broadcast=True)
    futures = [client.submit(_run_chunk, calculation, chunk, settings, jobs, pure=False)
               for chunk in chunks]
    return _merge(calculation, client.gather(futures))


def _calculation(name):
    def call(compositions, settings=None, *, client, chunk_size=None, jobs=1):
        return _run_on(client, name, compositions, settings, chunk_size, jobs)

    call.__name__ = call.__qualname__ = name
    call.__doc__ = (
        f"``varnodel.{name}`` on the workers of ``client`` (a distributed.Client).\n\n"
        "compositions: a DataFrame or the path of a data file (read here, not on the workers);"
        "\nchunk_size: analyses per task (None: two tasks per worker); jobs: analyses each "
        "task runs at once.\nReturns a varnodel.Result, as a local run would.")
    return call


for _name in varnodel.calculations():
    globals()[_name] = _calculation(_name)
del _name
