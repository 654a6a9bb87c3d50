;;; emacs_names.el --- Eglot's references, rename and signature help -*- lexical-binding: t; -*-

;; Drives a real Emacs in batch mode through Eglot on names.tov: the xref
;; backend Eglot gives `xref-find-references', `eglot-rename', and the
;; signature function Eglot puts on `eldoc-documentation-functions'.
;; CTest runs it as
;;   emacs --batch -l emacs_names.el
;; with TOVEL_EDITORS, TOVEL_NAMES_SAMPLE and tovel-lsp's folder first on PATH.

;;; Code:

(require 'package)
(package-initialize)                    ; Debian's elpa-eglot
(setq exec-path (append (parse-colon-path (getenv "PATH")) exec-path))
(load (expand-file-name "emacs/tovel-mode.el" (getenv "TOVEL_EDITORS")) nil t)
(require 'eglot)
(require 'xref)

(defvar tovel-test-failures 0)

(defun tovel-test-fail (format-string &rest args)
  (setq tovel-test-failures (1+ tovel-test-failures))
  (message "FAIL: %s" (apply #'format format-string args)))

(defun tovel-test-expect (what actual expected)
  (unless (equal actual expected)
    (tovel-test-fail "%s: expected %S, got %S" what expected actual)))

(defun tovel-test-finish ()
  (message "%d failed" tovel-test-failures)
  (kill-emacs (if (= tovel-test-failures 0) 0 1)))

(defun tovel-test-wait (predicate)
  "Let the server's output run until PREDICATE holds, at most 20 s."
  (let ((deadline (+ (float-time) 20)))
    (while (and (not (funcall predicate)) (< (float-time) deadline))
      (accept-process-output nil 0.05)
      ;; Batch Emacs is never idle: send the edits an idle timer would, so
      ;; that requests deferred behind them go out.
      (when (and (eglot-current-server) eglot--change-idle-timer)
        (eglot--signal-textDocument/didChange)))
    (funcall predicate)))

(defun tovel-test-goto (line column)
  (goto-char (point-min))
  (forward-line (1- line))
  (forward-char column))

(find-file (getenv "TOVEL_NAMES_SAMPLE"))
(condition-case err
    (apply #'eglot (eglot--guess-contact))
  (error (tovel-test-fail "eglot could not connect: %S" err)
         (tovel-test-finish)))
(tovel-test-wait (lambda () (eglot-current-server)))

;; References of `stock': where it is assigned and where it is printed.
(tovel-test-goto 5 1)
(let* ((xrefs (xref-backend-references 'eglot (xref-backend-identifier-at-point 'eglot)))
       (places (mapcar (lambda (x)
                         (let ((location (xref-item-location x)))
                           (list (xref-location-line location)
                                 (xref-file-location-column location))))
                       xrefs)))
  (tovel-test-expect "references of stock (line, column)" places '((5 0) (6 6))))

;; Rename `stock' to `supply': both places change, nothing else.
(tovel-test-goto 5 1)
(condition-case err
    (eglot-rename "supply")
  (error (tovel-test-fail "eglot-rename failed: %S" err)))
(tovel-test-expect "text after the rename"
                   (buffer-substring-no-properties
                    (save-excursion (tovel-test-goto 5 0) (point)) (point-max))
                   "supply = restock(2, 3)\nprint supply\n")

;; Signature help in the second argument of restock(2, 3).
(tovel-test-goto 5 19)
(let ((shown nil))
  (eglot-signature-eldoc-function (lambda (info &rest _) (setq shown (or info 'nothing))))
  (unless (tovel-test-wait (lambda () shown))
    (tovel-test-fail "no signature help within 20 s"))
  (when (stringp shown)
    (tovel-test-expect "signature shown" (substring-no-properties shown 0 (string-match "\n\\|$" shown))
                       "restock(item, amount = 1)")
    (tovel-test-expect "active parameter highlighted"
                       (get-text-property (string-match "amount" shown) 'face shown)
                       'eldoc-highlight-function-argument)))

(set-buffer-modified-p nil)
(ignore-errors (eglot-shutdown (eglot-current-server)))
(tovel-test-finish)
;;; emacs_names.el ends here
