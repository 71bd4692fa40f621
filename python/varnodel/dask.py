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

import csv
import io
import math
import os

import varnodel
from varnodel import Result, Settings, _core, _data_text, _run

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


def _run_chunk(calculation, data, settings, jobs, analysis=None):
    return _run(calculation, data, settings, jobs, None, analysis)._raw


def _status_rows(text):
    return list(csv.reader(io.StringIO(text.decode("utf-8"))))[1:]


def _merge(calculation, parts, offsets):
    files = {}
    for raw, offset in zip(parts, offsets):
        for name, text in raw["files"].items():
            if name == "_status.csv":
                # Lines of the chunk's data file, counted in the whole one (the line number is
                # the row's first field, never quoted).
                header, _, body = text.decode("utf-8").partition("\n")
                rows = []
                for row in body.splitlines():
                    line, _, rest = row.partition(",")
                    rows.append((str(int(line) + offset) if line else "") + "," + rest + "\n")
                files[name] = files.get(name, (header + "\n").encode("utf-8")) + \
                    "".join(rows).encode("utf-8")
            elif name == "_calc_param.csv":
                files[name] = text  # every chunk reports the same settings; the last one wins
            elif name not in files:
                files[name] = text
            else:
                # Each chunk's table starts with the header line.
                files[name] += text.split(b"\n", 1)[1] if b"\n" in text else b""
    analyses = [dict(a) for raw in parts for a in raw["analyses"]]
    if "_status.csv" in files and analyses:
        # Each chunk ended its log with its own summary: one for the whole batch instead.
        ends = []
        position = 0
        for raw in parts:
            position += len(raw["analyses"])
            if "_status.csv" in raw["files"] and raw["analyses"]:
                ends.append(position - 1)
        for k in ends:
            log = list(analyses[k]["log"])
            if log:
                log.pop()
            analyses[k]["log"] = log
        outcomes = [row[2] for row in _status_rows(files["_status.csv"])]
        analyses[-1]["log"] = list(analyses[-1]["log"]) + [_core.batch_summary(outcomes)]
    first = parts[0]
    return Result({
        "calculation": calculation,
        "base": first["base"],
        "files": files,
        "log": first["log"],
        "debug": first["debug"],
        "messages": first["messages"],
        "analyses": analyses,
        "interrupted": any(raw["interrupted"] for raw in parts),
        # Only a batch of one inclusion leaves its melt to the profiles.
        "profile_settings": first.get("profile_settings") if len(parts) == 1 else None,
    })


def _run_on(client, calculation, compositions, settings, chunk_size, jobs, analysis):
    if client is None:
        raise ValueError("client: a distributed.Client is needed")
    # Read here: the workers may not see the file.
    if settings is None:
        settings = Settings()
    elif isinstance(settings, (str, os.PathLike)):
        settings = Settings.from_file(settings)
    if calculation.startswith("profile_") or analysis is not None:
        # One inclusion or one analysis: one task, on one worker.
        if isinstance(compositions, (str, os.PathLike)):
            with open(compositions, "rb") as f:
                compositions = f.read()
        elif compositions is not None and not isinstance(compositions, bytes):
            compositions = _data_text(compositions).encode("utf-8")
        future = client.submit(_run_chunk, calculation, compositions, settings, jobs, analysis,
                               pure=False)
        return Result(future.result())
    if compositions is None:
        raise ValueError("compositions: a DataFrame or the path of a data file is needed")
    if isinstance(compositions, (str, os.PathLike)):
        with open(compositions, "rb") as f:
            data = f.read()
    else:
        data = _data_text(compositions).encode("utf-8")
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
    return _merge(calculation, client.gather(futures), range(0, len(rows), chunk_size))


def _calculation(name):
    def call(compositions=None, settings=None, *, client, chunk_size=None, jobs=1,
             analysis=None):
        return _run_on(client, name, compositions, settings, chunk_size, jobs, analysis)

    call.__name__ = call.__qualname__ = name
    call.__doc__ = (
        f"``varnodel.{name}`` on the workers of ``client`` (a distributed.Client).\n\n"
        "compositions: a DataFrame or the path of a data file (read here, not on the workers);"
        "\nchunk_size: analyses per task (None: two tasks per worker); jobs: analyses each "
        "task runs at once; analysis: only this one (1-based), in one task.\nThe diffusion "
        "profiles model one inclusion: one task (LAST_RES.DAT, with load_last_result, is read "
        "on the worker).\nReturns a varnodel.Result, as a local run would.")
    return call


for _name in varnodel.calculations():
    globals()[_name] = _calculation(_name)
del _name
